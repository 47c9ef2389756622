#version 440
// An aurora over a starry sky: curtains of light whose height follows the bands and whose
// hem ripples with the mono wave, above a dark horizon.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    vec2 resolution;
    float time;
    vec4 energies;
    vec2 tone;
};
layout(binding = 1) uniform sampler2D feedData; // rows: bands, waveMono

const vec3 NIGHT = vec3(0.015, 0.02, 0.06);

float fetch(int row, int i) { return texelFetch(feedData, ivec2(i, row), 0).r; }
float sampleRow(int row, int count, float x) {
    float p = clamp(x, 0.0, 1.0) * float(count - 1);
    int i = int(floor(p));
    return mix(fetch(row, i), fetch(row, min(i + 1, count - 1)), p - float(i));
}
float hash(vec2 p) { return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453); }

void main() {
    float bass = energies.x, treble = energies.z, beat = energies.w;
    float energy = tone.x, brightness = tone.y;
    vec2 uv = qt_TexCoord0;
    vec2 px = uv * resolution;

    vec3 colour = mix(vec3(0.05, 0.03, 0.12), NIGHT, uv.y);
    // Stars, twinkling on their own beat.
    vec2 cell = floor(px / 3.0);
    float star = step(0.996, hash(cell));
    colour += vec3(0.8, 0.85, 1.0) * star * (0.5 + 0.5 * sin(time * 1.5 + hash(cell + 7.0) * 6.2832)) * (1.0 - uv.y) * 0.8;

    // Three curtains at different depths.
    for (int layer = 0; layer < 3; ++layer) {
        float depth = float(layer);
        float sway = sin(uv.x * (3.0 + depth) + time * (0.3 + 0.1 * depth) + depth * 2.0) * 0.06
                   + sin(uv.x * 9.0 - time * 0.45 + depth) * 0.015;
        float xBand = clamp(uv.x + sway * 0.5, 0.0, 1.0);
        // Mirror so the bass stands in the middle of the sky.
        float band = sampleRow(0, 64, abs(xBand * 2.0 - 1.0));
        float hem = 0.58 - 0.08 * depth + sway + 0.03 * sampleRow(1, 256, uv.x);
        float height = (0.18 + 0.55 * band + 0.1 * bass) * (1.0 - 0.2 * depth);
        float above = hem - uv.y;
        float curtain = smoothstep(-0.008, 0.01, above) * exp(-max(above, 0.0) / max(height, 0.02) * 2.2);
        float rays = 0.6 + 0.4 * sin(uv.x * (140.0 + 40.0 * depth) + sin(uv.x * 17.0 + time * 0.5) * 3.0);
        vec3 low = depth < 0.5 ? vec3(0.22, 0.92, 1.0) : depth < 1.5 ? vec3(0.56, 0.36, 1.0) : vec3(1.0, 0.32, 0.8);
        vec3 high = depth < 0.5 ? vec3(0.56, 0.36, 1.0) : vec3(1.0, 0.32, 0.8);
        vec3 tint = mix(low, high, clamp(above / max(height, 0.02), 0.0, 1.0));
        colour += tint * curtain * rays * (0.5 + 0.6 * band + 0.3 * beat) * (1.0 - 0.25 * depth);
        // The bright hem line.
        colour += low * exp(-abs(above) * 250.0) * (0.4 + band) * 0.5;
    }

    // Dark hills on the horizon.
    float hills = 0.86 + 0.03 * sin(uv.x * 7.0) + 0.02 * sin(uv.x * 17.0 + 1.0);
    float ground = smoothstep(hills - 0.004, hills + 0.004, uv.y);
    colour = mix(colour, NIGHT * 0.6, ground);
    colour += vec3(0.56, 0.36, 1.0) * exp(-abs(uv.y - hills) * 120.0) * 0.25 * (0.5 + energy);

    colour *= 0.85 + 0.3 * brightness + 0.2 * treble;
    colour = 1.0 - exp(-colour * 1.3);
    fragColor = vec4(colour, 1.0) * qt_Opacity;
}
