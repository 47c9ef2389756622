#version 440
// One direction of the bloom's blur; with a threshold it also keeps only the bright parts.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    vec2 offset;     // one tap, in texture coordinates
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
    const float weights[7] = float[](0.1964825, 0.1760327, 0.1209853, 0.0653216, 0.0276305, 0.0091685, 0.0023832);
    vec4 sum = bright(texture(source, qt_TexCoord0)) * weights[0];
    for (int i = 1; i < 7; ++i) {
        sum += bright(texture(source, qt_TexCoord0 + offset * float(i))) * weights[i];
        sum += bright(texture(source, qt_TexCoord0 - offset * float(i))) * weights[i];
    }
    fragColor = sum * qt_Opacity;
}
