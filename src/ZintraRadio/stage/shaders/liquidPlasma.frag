#version 440
// Liquid plasma: interfering waves of colour that flow with the phase, stirred by the left
// and right waves along the two axes and lit up by the energy.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    vec2 resolution;
    float time;
    float phase;
    vec4 energies;
    vec2 tone;
};
layout(binding = 1) uniform sampler2D feedData; // rows: waveLeft, waveRight

const vec3 NIGHT = vec3(0.015, 0.02, 0.06);

float fetch(int row, int i) { return texelFetch(feedData, ivec2(i, row), 0).r; }
float sampleRow(int row, int count, float x) {
    float p = clamp(x, 0.0, 1.0) * float(count - 1);
    int i = int(floor(p));
    return mix(fetch(row, i), fetch(row, min(i + 1, count - 1)), p - float(i));
}
vec3 ramp(float x) {
    x = clamp(x, 0.0, 1.0);
    vec3 magenta = vec3(1.0, 0.32, 0.8), violet = vec3(0.56, 0.36, 1.0), cyan = vec3(0.22, 0.92, 1.0);
    return x < 0.5 ? mix(magenta, violet, x * 2.0) : mix(violet, cyan, x * 2.0 - 1.0);
}

void main() {
    float bass = energies.x, mid = energies.y, beat = energies.w;
    float energy = tone.x, brightness = tone.y;
    float unit = min(resolution.x, resolution.y);
    vec2 p = (qt_TexCoord0 * resolution - 0.5 * resolution) / unit * 4.2;

    float waveX = sampleRow(0, 256, qt_TexCoord0.x);
    float waveY = sampleRow(1, 256, qt_TexCoord0.y);
    vec2 q = p + 0.35 * vec2(waveY, waveX);

    float f = phase;
    float v = sin(q.x * 1.7 + f * 1.1);
    v += sin(q.y * 1.9 - f * 0.9);
    v += sin((q.x + q.y) * 1.2 + f * 0.7);
    v += sin(length(q + vec2(sin(f * 0.3) * 1.6, cos(f * 0.35) * 1.3)) * 2.6 - f * 1.3);
    v += sin(length(q - vec2(cos(f * 0.25) * 1.8, sin(f * 0.4) * 1.1)) * 2.2 + f);
    v *= 0.2; // -1...1

    // Colour flows through the ramp; a second interference sets light and shade.
    vec3 colour = ramp(0.5 + 0.5 * sin(v * 4.0 + f * 0.5));
    float light = 0.5 + 0.5 * sin(v * 5.5 - f * 0.75 + bass * 2.0);
    colour *= 0.2 + 1.1 * pow(light, 1.4);
    // Bright liquid ridges where the field crosses its levels.
    float ridge = pow(1.0 - abs(sin(v * 6.2832)), 14.0);
    colour += mix(vec3(0.22, 0.92, 1.0), vec3(1.0), 0.6) * ridge * (0.25 + 0.5 * mid + 0.4 * beat);

    float vignette = smoothstep(1.3, 0.25, length(qt_TexCoord0 - 0.5) * 1.5);
    colour *= (0.65 + 0.5 * energy + 0.2 * brightness) * mix(0.35, 1.0, vignette);
    colour += NIGHT;
    colour = 1.0 - exp(-colour * 1.5);
    fragColor = vec4(colour, 1.0) * qt_Opacity;
}
