#include "state/UIStateAnimation.hpp"

#include <cstdlib>

namespace ZintraRadio {

QVariantMap animationMap(const ViewAnimation& animation) {
    const bool spring = animation.curve == ViewAnimation::Curve::spring;
    return {
        {QStringLiteral("curve"), spring ? QStringLiteral("spring") : QStringLiteral("easeInOut")},
        {QStringLiteral("duration"), animation.duration},
        {QStringLiteral("response"), animation.response},
        {QStringLiteral("dampingFraction"), animation.dampingFraction},
    };
}

bool motionForced() {
    static const bool forced = std::getenv("ZINTRARADIO_REDUCE_MOTION") != nullptr;
    return forced;
}

} // namespace ZintraRadio
