#version 440
// The bloom's last step: the blurred light added on top of the sharp content.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    float strength;
};
layout(binding = 1) uniform sampler2D source;
layout(binding = 2) uniform sampler2D glow;

void main() {
    vec4 sharp = texture(source, qt_TexCoord0);
    vec4 light = texture(glow, qt_TexCoord0);
    fragColor = vec4(min(sharp.rgb + light.rgb * strength * 2.0, vec3(1.0)), sharp.a) * qt_Opacity;
}
