#version 440
// A warp tunnel: a grid of rings and ribs rushing toward the viewer with the travel phase,
// its wall panels lit by the bands around the circle, the mono wave bending the rings, and
// a bright core at the far end.
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
layout(binding = 1) uniform sampler2D feedData; // rows: bands, waveMono

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
// A thin bright line where the periodic coordinate `c` crosses a whole number, `w` wide.
float gridLine(float c, float w) {
    float d = abs(fract(c + 0.5) - 0.5);
    return smoothstep(w, 0.0, d);
}

void main() {
    float bass = energies.x, treble = energies.z, beat = energies.w;
    float energy = tone.x, brightness = tone.y;
    float unit = min(resolution.x, resolution.y);
    vec2 p = (qt_TexCoord0 * resolution - 0.5 * resolution) / unit;
    // The vanishing point drifts a little.
    p -= 0.04 * vec2(sin(time * 0.3), cos(time * 0.25));
    float r = max(length(p), 1e-3);
    float a = atan(p.x, -p.y);
    float u = abs(a) / PI; // 0 top ... 1 bottom, mirrored

    float wave = sampleRow(1, 256, u);
    float depth = 0.3 / r;
    // Distance along the tunnel: the rings move toward the viewer with the travel phase. The
    // rings are drawn through sines whose phase term repeats on the phase's period.
    float along = depth * 2.0 + 0.08 * wave;
    float ringWave = sin(along * PI * 2.0 + phase * 5.0);
    // Distance to the nearest ring in screen pixels keeps near and far rings equally sharp.
    float ringDistance = acos(clamp(ringWave, -1.0, 1.0)) / (2.0 * PI) / max(fwidth(along), 1e-4);
    float rings = smoothstep(2.2, 0.0, ringDistance) + 0.25 * exp(-ringDistance * 0.15);
    float ribs = gridLine(a * 16.0 / (2.0 * PI) + 0.5 * sin(phase * 0.05), 0.025 * depth);
    float fog = exp(-depth * 0.22) * smoothstep(0.0, 0.35, depth);

    // Panels lit by the band they face, brighter as a ring passes them.
    float band = sampleRow(0, 64, u);
    float panel = band * (0.35 + 0.65 * pow(0.5 + 0.5 * sin(along * PI * 2.0 + phase * 5.0 + 1.6), 3.0));

    vec3 tint = ramp(0.5 + 0.5 * sin(along * 0.6 + phase * 0.25));
    vec3 colour = NIGHT;
    colour += tint * panel * fog * 0.55;
    colour += mix(tint, vec3(1.0), 0.35) * rings * fog * (0.7 + 0.9 * band + 0.6 * beat);
    colour += ramp(1.0 - u) * ribs * fog * (0.25 + 0.6 * band);
    // The core at the end of the tunnel.
    colour += vec3(0.75, 0.8, 1.0) * exp(-r * (16.0 - 6.0 * bass)) * (0.5 + 0.8 * energy);
    colour += vec3(0.56, 0.36, 1.0) * exp(-r * 5.0) * 0.3;
    // Streaks of light flying past near the edges.
    float streak = pow(max(sin(a * 37.0 + 1.3) * sin(a * 23.0 - 0.7), 0.0), 40.0);
    colour += vec3(0.22, 0.92, 1.0) * streak * smoothstep(0.25, 0.8, r) * (0.3 + treble) *
              (0.5 + 0.5 * sin(along * 3.0 + phase * 2.0));

    colour *= 0.85 + 0.3 * brightness;
    colour = 1.0 - exp(-colour * 1.3);
    fragColor = vec4(colour, 1.0) * qt_Opacity;
}
