#version 440
// The bloom's last step: the blurred light, added to whatever lies below (alpha 0 in the
// premultiplied blend adds the colour).
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    float strength;
};
layout(binding = 1) uniform sampler2D glow;

void main() {
    vec4 light = texture(glow, qt_TexCoord0);
    fragColor = vec4(light.rgb * strength * 2.0, 0.0) * qt_Opacity;
}
