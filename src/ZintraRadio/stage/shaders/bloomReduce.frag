#version 440
// The bloom's first step: the bright parts of the sharp picture, shrunk to a quarter of its
// size. Each output texel covers 4 x 4 source texels; four filtered taps, each on the corner
// between 2 x 2 of them, take every one into account, so no thin line is lost.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    vec2 texel;      // one source texel, in texture coordinates
    float threshold; // light below it does not glow
};
layout(binding = 1) uniform sampler2D source;

vec4 bright(vec4 c) {
    float light = max(c.r, max(c.g, c.b));
    return c * smoothstep(threshold, threshold + 0.3, light);
}

void main() {
    vec4 sum = bright(texture(source, qt_TexCoord0 + texel * vec2(-1.0, -1.0)));
    sum += bright(texture(source, qt_TexCoord0 + texel * vec2(1.0, -1.0)));
    sum += bright(texture(source, qt_TexCoord0 + texel * vec2(-1.0, 1.0)));
    sum += bright(texture(source, qt_TexCoord0 + texel * vec2(1.0, 1.0)));
    fragColor = sum * 0.25 * qt_Opacity;
}
