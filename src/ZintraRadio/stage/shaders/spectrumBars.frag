#version 440
// Spectrum bars: 64 rounded bars rising from a floor line in the colours of the spectrum ramp
// (bass magenta on the left, treble cyan on the right), their peaks as floating caps and a
// dim reflection below the floor.
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
layout(binding = 1) uniform sampler2D feedData; // rows: bands, peaks

const vec3 NIGHT = vec3(0.015, 0.02, 0.06);
const int BANDS = 64;

float fetch(int row, int i) { return texelFetch(feedData, ivec2(i, row), 0).r; }
vec3 ramp(float x) {
    x = clamp(x, 0.0, 1.0);
    vec3 magenta = vec3(1.0, 0.32, 0.8), violet = vec3(0.56, 0.36, 1.0), cyan = vec3(0.22, 0.92, 1.0);
    return x < 0.5 ? mix(magenta, violet, x * 2.0) : mix(violet, cyan, x * 2.0 - 1.0);
}

void main() {
    float bass = energies.x, beat = energies.w, energy = tone.x;
    vec2 px = qt_TexCoord0 * resolution;
    float marginX = 0.06 * resolution.x;
    float floorY = 0.74 * resolution.y;
    float tallest = 0.56 * resolution.y;
    float slot = (resolution.x - 2.0 * marginX) / float(BANDS);
    float barWidth = slot * 0.68;

    vec3 colour = NIGHT;
    // Floor glow.
    colour += vec3(0.3, 0.12, 0.5) * exp(-abs(px.y - floorY) / (0.12 * resolution.y)) * (0.25 + 0.5 * energy);

    float column = (px.x - marginX) / slot;
    int i = int(floor(column));
    if (i >= 0 && i < BANDS) {
        float centre = marginX + (float(i) + 0.5) * slot;
        float dx = abs(px.x - centre) - 0.5 * barWidth;
        float band = clamp(fetch(0, i), 0.0, 1.2);
        float peak = clamp(fetch(1, i), 0.0, 1.2);
        float top = floorY - tallest * band;
        vec3 tint = ramp(float(i) / float(BANDS - 1));
        float inside = smoothstep(0.8, -0.8, dx);
        // The bar, lighter toward its top.
        if (px.y <= floorY && px.y >= top - 1.0) {
            float edge = smoothstep(top - 1.0, top + 1.0, px.y);
            float lift = 1.0 - (floorY - px.y) / max(tallest, 1.0);
            colour += tint * inside * edge * (0.55 + 0.6 * (1.0 - lift) + 0.25 * beat);
        }
        // Soft glow around each bar, rising a little above its top.
        float sideGlow = exp(-max(dx, 0.0) / (0.35 * slot)) * 0.12 * (0.4 + band);
        if (px.y < top)
            colour += tint * sideGlow * exp(-(top - px.y) / (0.03 * resolution.y));
        else if (px.y <= floorY)
            colour += tint * sideGlow * (1.0 - inside);
        // Peak cap.
        float capY = floorY - tallest * peak - 4.0;
        float cap = smoothstep(2.5, 0.5, abs(px.y - capY)) * inside;
        colour += mix(tint, vec3(1.0), 0.55) * cap * 0.95;
        // Reflection.
        if (px.y > floorY) {
            float depth = (px.y - floorY) / (tallest * max(band, 0.02));
            colour += tint * inside * exp(-depth * 2.5) * 0.22 * smoothstep(floorY + 0.2 * resolution.y, floorY, px.y);
        }
    }
    // Floor line.
    colour += vec3(0.56, 0.36, 1.0) * smoothstep(1.5, 0.0, abs(px.y - floorY)) * (0.5 + 0.4 * bass);

    colour = 1.0 - exp(-colour * 1.3);
    fragColor = vec4(colour, 1.0) * qt_Opacity;
}
