#version 440
// The bloom's last step: the sharp picture with the blurred light added, in one pass.
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
    vec3 light = texture(glow, qt_TexCoord0).rgb * strength * 2.0;
    // Premultiplied: light adds colour without covering what lies below.
    fragColor = vec4(sharp.rgb + light, sharp.a) * qt_Opacity;
}
