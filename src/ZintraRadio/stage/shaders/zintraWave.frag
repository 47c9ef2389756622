#version 440
// The house mode: a turning vortex of spiral arms around two glowing rings that carry the
// left and right waves, with a halo of the spectrum bands around them.
// Motion terms use angular frequencies that are multiples of 1/80, so the wrapped time and
// phase repeat seamlessly.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    vec2 resolution;
    float time;
    float phase;
    vec4 energies; // bass, mid, treble, beat
    vec2 tone;     // energy, brightness
};
layout(binding = 1) uniform sampler2D feedData; // rows: bands, waveLeft, waveRight

const float PI = 3.14159265;
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
// 0 at the top, 1 at the bottom, mirrored left and right so there is no seam.
float mirrored(float angle) { return abs(angle) / PI; }

void main() {
    float bass = energies.x, mid = energies.y, treble = energies.z, beat = energies.w;
    float energy = tone.x, brightness = tone.y;
    float unit = min(resolution.x, resolution.y);
    vec2 p = (qt_TexCoord0 * resolution - 0.5 * resolution) / unit;
    float r = length(p);
    float a = atan(p.x, -p.y); // 0 up, clockwise positive

    vec3 colour = NIGHT;
    // Deep glow in the eye of the vortex.
    colour += vec3(0.30, 0.12, 0.55) * (0.25 + 0.5 * energy) * exp(-r * r * 6.0);

    // Spiral arms turning with the phase.
    float turn = phase * 0.25;
    float arms = sin(5.0 * (a + turn) + 7.0 * log(r + 0.02) + time * 0.5);
    float armLight = pow(0.5 + 0.5 * arms, 10.0) * smoothstep(0.02, 0.12, r) * exp(-r * 2.4);
    colour += ramp(0.5 + 0.5 * sin(a * 2.0 + turn)) * armLight * (0.35 + 0.9 * bass);
    float fine = sin(11.0 * (a - turn * 0.6) + 13.0 * log(r + 0.02) - time * 0.75);
    colour += ramp(r * 2.2) * pow(0.5 + 0.5 * fine, 16.0) * exp(-r * 3.0) * (0.2 + 0.6 * treble);

    // Band halo: each direction shows the band it points at, bass on top, treble below.
    float band = sampleRow(0, 64, mirrored(a));
    float ring = 0.24 + 0.035 * bass + 0.02 * beat;
    float halo = smoothstep(ring + 0.02 + 0.22 * band, ring, r) * smoothstep(ring - 0.01, ring + 0.01, r);
    colour += ramp(1.0 - mirrored(a)) * halo * (0.25 + 0.8 * band);

    // Two rings carrying the waves: left a little inside in cyan, right outside in magenta.
    float u = mirrored(a);
    float left = sampleRow(1, 256, u);
    float right = sampleRow(2, 256, u);
    float dl = abs(r - (ring - 0.03 + 0.06 * left));
    float dr = abs(r - (ring + 0.015 + 0.06 * right));
    float width = 0.0035 + 0.002 * beat;
    colour += vec3(0.22, 0.92, 1.0) * (width / (dl + width) * 0.55 + smoothstep(width * 1.6, 0.0, dl));
    colour += vec3(1.0, 0.32, 0.8) * (width / (dr + width) * 0.45 + smoothstep(width * 1.6, 0.0, dr));

    // Sparks scattered around the rim, turning with the vortex and twinkling.
    // 48 cells round the circle, numbered modulo 48: the turn of one wrap period moves the
    // grid by whole rounds, and the cells meet without a seam at the bottom.
    vec2 grid = vec2((a + turn * 0.4) * 24.0 / PI, r * 40.0);
    vec2 cell = vec2(mod(floor(grid.x), 48.0), floor(grid.y));
    float seed = fract(sin(dot(cell, vec2(12.9898, 78.233))) * 43758.5453);
    float spark = step(0.9, seed) * smoothstep(0.3, 0.0, length(fract(grid) - 0.5));
    float twinkle = 0.5 + 0.5 * sin(time * 1.5 + seed * 60.0);
    colour += vec3(0.8, 0.85, 1.0) * spark * twinkle * smoothstep(0.26, 0.36, r) * exp(-(r - 0.3) * 3.0) * (0.35 + treble);

    colour *= 0.85 + 0.3 * brightness + 0.15 * mid;
    colour = 1.0 - exp(-colour * 1.35); // soft highlights
    fragColor = vec4(colour, 1.0) * qt_Opacity;
}
