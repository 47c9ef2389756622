#version 440
// One direction of the bloom's blur: a Gaussian over nine taps, each averaging its two
// neighbours through linear filtering, so thin lines are never skipped.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    vec2 offset; // from one tap to the next, in texture coordinates
};
layout(binding = 1) uniform sampler2D source;

void main() {
    // sigma of four thirds of a tap: the outermost taps sit at three sigma
    vec4 sum = vec4(0.0);
    float total = 0.0;
    for (int i = -4; i <= 4; ++i) {
        float x = float(i) * 0.75;
        float weight = exp(-0.5 * x * x);
        sum += texture(source, qt_TexCoord0 + offset * float(i)) * weight;
        total += weight;
    }
    fragColor = sum / total * qt_Opacity;
}
