#version 440
// Neon bloom: the picture plus a soft halo of its own light, gathered on rings around each
// pixel out to radius x 3.2 points.

layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;

layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    float radius;
    float strength;
    vec2 texelSize;
};

layout(binding = 1) uniform sampler2D source;

void main() {
    vec4 base = texture(source, qt_TexCoord0);
    vec4 halo = vec4(0.0);
    float total = 0.0;
    for (int ring = 1; ring <= 4; ++ring) {
        float distance = radius * 3.2 * float(ring) / 4.0;
        float weight = 1.0 / float(ring);
        for (int i = 0; i < 12; ++i) {
            float angle = 6.2831853 * (float(i) + 0.5 * float(ring)) / 12.0;
            vec2 offset = vec2(cos(angle), sin(angle)) * texelSize * distance;
            halo += texture(source, qt_TexCoord0 + offset) * weight;
            total += weight;
        }
    }
    halo /= max(total, 1.0);
    // Only the bright parts bloom; dark backgrounds stay dark.
    float light = max(max(halo.r, halo.g), halo.b);
    fragColor = (base + halo * strength * smoothstep(0.15, 0.8, light)) * qt_Opacity;
}
