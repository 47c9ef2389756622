// The one image response of the image providers: exactly one finished() whichever of answer
// and cancel comes first, an answer from a worker after the response is gone, and the error a
// missing picture reports.
#include "kit/AsyncImageResponse.hpp"

#include "QtTestKit.hpp"

#include <QQuickTextureFactory>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using namespace ZintraRadio;

namespace {

// Counts the response's finished() signals until the events queued now have run.
int finishedSignals(AsyncImageResponse& response, const std::function<void()>& meanwhile) {
    int finished = 0;
    QObject counting; // the count goes with this call
    QObject::connect(&response, &QQuickImageResponse::finished, &counting, [&] { ++finished; });
    meanwhile();
    bool drained = false;
    QTimer::singleShot(0, [&] { drained = true; });
    EXPECT_TRUE(testkit::pumpUntil([&] { return drained; }));
    return finished;
}

QImage picture() {
    QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::red);
    return image;
}

QImage shown(const AsyncImageResponse& response) {
    std::unique_ptr<QQuickTextureFactory> factory(response.textureFactory());
    return factory ? factory->image() : QImage();
}

} // namespace

TEST(AsyncImageResponse, FinishesOnceWhicheverOfAnswerAndCancelComesFirst) {
    int stops = 0;
    {
        AsyncImageResponse answeredFirst;
        answeredFirst.setStop([&] { ++stops; });
        EXPECT_EQ(finishedSignals(answeredFirst,
                                  [&] {
                                      answeredFirst.answer()->give(picture());
                                      answeredFirst.cancel();
                                      answeredFirst.answer()->give({});
                                  }),
                  1);
        EXPECT_EQ(shown(answeredFirst).size(), QSize(4, 4)) << "the first answer stays";
        EXPECT_EQ(stops, 1) << "the cancel stops the work";
    }
    EXPECT_EQ(stops, 2) << "and so does the response's end";

    AsyncImageResponse cancelledFirst;
    EXPECT_EQ(finishedSignals(cancelledFirst,
                              [&] {
                                  cancelledFirst.cancel();
                                  std::thread worker([answer = cancelledFirst.answer()] {
                                      EXPECT_TRUE(answer->cancelled());
                                      answer->give(picture());
                                  });
                                  worker.join();
                              }),
              1);
    EXPECT_TRUE(shown(cancelledFirst).isNull()) << "an answer after the cancel is not shown";
}

TEST(AsyncImageResponse, AWorkerMayAnswerAfterTheResponseIsGone) {
    auto response = std::make_unique<AsyncImageResponse>();
    std::shared_ptr<AsyncImageResponse::Answer> answer = response->answer();
    response.reset();
    std::thread worker([answer] { answer->give(picture()); });
    worker.join();
    EXPECT_FALSE(answer->cancelled());
}

TEST(AsyncImageResponse, AMissingPictureReportsTheErrorItWasGiven) {
    AsyncImageResponse quiet;
    AsyncImageResponse told(QStringLiteral("no cover"));
    AsyncImageResponse answered(QStringLiteral("no cover"));
    EXPECT_EQ(finishedSignals(quiet, [&] { quiet.answer()->give({}); }), 1);
    EXPECT_EQ(finishedSignals(told, [&] { told.answer()->give({}); }), 1);
    EXPECT_EQ(finishedSignals(answered, [&] { answered.answer()->give(picture()); }), 1);
    EXPECT_EQ(quiet.errorString(), QString()) << "none is an expected answer";
    EXPECT_EQ(told.errorString(), QStringLiteral("no cover"));
    EXPECT_EQ(answered.errorString(), QString());
}
