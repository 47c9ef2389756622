#version 440
// One direction of the bloom's blur: a Gaussian of five taps that each fall between two texels,
// so linear filtering averages nine. With a threshold it keeps only the bright parts.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    vec2 offset;     // one unit of the kernel, in texture coordinates
    float threshold; // 0: no bright pass
};
layout(binding = 1) uniform sampler2D source;

vec4 bright(vec4 c) {
    if (threshold <= 0.0)
        return c;
    float light = max(c.r, max(c.g, c.b));
    return c * smoothstep(threshold, threshold + 0.3, light);
}

void main() {
    const float weights[3] = float[](0.2270270270, 0.3162162162, 0.0702702703);
    const float taps[3] = float[](0.0, 1.3846153846, 3.2307692308);
    vec4 sum = bright(texture(source, qt_TexCoord0)) * weights[0];
    for (int i = 1; i < 3; ++i) {
        sum += bright(texture(source, qt_TexCoord0 + offset * taps[i])) * weights[i];
        sum += bright(texture(source, qt_TexCoord0 - offset * taps[i])) * weights[i];
    }
    fragColor = sum * qt_Opacity;
}
