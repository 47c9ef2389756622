#version 440
// The bloom's last step: the blurred light, drawn over the sharp picture with alpha 0 so that
// the blending adds it without covering anything.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    float strength;
};
layout(binding = 1) uniform sampler2D glow;

void main() {
    fragColor = vec4(texture(glow, qt_TexCoord0).rgb * strength * 2.0, 0.0) * qt_Opacity;
}
