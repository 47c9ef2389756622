#version 440
// A neon oscilloscope: the left wave in cyan and the right in magenta over a faint grid, with
// the last five mono rows standing behind them as fading echoes.
layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;
layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    vec2 resolution;
    float time;
    vec4 energies;
    vec2 tone;
    float rows; // rows of 128 samples in the history
};
layout(binding = 1) uniform sampler2D feedData; // rows: waveLeft, waveRight, history

const vec3 NIGHT = vec3(0.015, 0.02, 0.06);

float fetch(int row, int i) { return texelFetch(feedData, ivec2(i, row), 0).r; }
// The wave at x (0...1) and its slope per unit of x, from the two samples around it.
vec2 sampleRow(int row, int count, int first, float x) {
    float p = clamp(x, 0.0, 1.0) * float(count - 1);
    int i = min(int(floor(p)), count - 2);
    float a = fetch(row, first + i);
    float b = fetch(row, first + i + 1);
    return vec2(mix(a, b, p - float(i)), (b - a) * float(count - 1));
}
// Glow of a trace y = f(x) at this pixel, from its vertical distance and slope.
float trace(float dy, float slope, float width) {
    float d = abs(dy) / sqrt(1.0 + slope * slope);
    return width / (d + width) * 0.5 + smoothstep(width * 1.5, 0.0, d);
}

void main() {
    float beat = energies.w, energy = tone.x;
    vec2 px = qt_TexCoord0 * resolution;
    float x = qt_TexCoord0.x;
    float h = resolution.y;
    float mid = 0.5 * h;
    float amplitude = 0.3 * h;

    vec3 colour = NIGHT + vec3(0.06, 0.03, 0.12) * (1.0 - abs(qt_TexCoord0.y - 0.5) * 1.6) * (0.6 + energy);

    // Grid: ten columns, eight rows, brighter centre line.
    vec2 cell = resolution / vec2(10.0, 8.0);
    vec2 g = abs(fract(px / cell + 0.5) - 0.5) * cell;
    float grid = smoothstep(1.2, 0.0, min(g.x, g.y));
    colour += vec3(0.22, 0.92, 1.0) * grid * (0.05 + 0.03 * beat);
    colour += vec3(0.56, 0.36, 1.0) * smoothstep(1.5, 0.0, abs(px.y - mid)) * 0.18;

    // Echoes: older rows higher, smaller and dimmer. Slopes are per pixel of width.
    int rowCount = int(rows + 0.5);
    float perPixel = 1.0 / resolution.x;
    for (int k = rowCount - 1; k >= 0; --k) {
        float age = float(k + 1);
        float base = mid - age * 0.055 * h;
        float gain = amplitude * (0.55 - 0.07 * age);
        vec2 v = sampleRow(2, 128, k * 128, x);
        float glow = trace(px.y - (base - gain * v.x), -gain * v.y * perPixel, 1.2);
        colour += mix(vec3(0.56, 0.36, 1.0), vec3(1.0, 0.32, 0.8), age / 5.0) * glow * (0.32 / age);
    }

    vec2 l = sampleRow(0, 256, 0, x);
    vec2 r = sampleRow(1, 256, 0, x);
    float width = 1.6 + 1.2 * beat;
    colour += vec3(0.22, 0.92, 1.0) * trace(px.y - (mid - amplitude * l.x), -amplitude * l.y * perPixel, width);
    colour += vec3(1.0, 0.32, 0.8) * trace(px.y - (mid - amplitude * r.x), -amplitude * r.y * perPixel, width) * 0.9;

    // A scan line sweeping slowly down the screen.
    float sweep = 0.5 + 0.5 * sin(time * 0.4);
    colour += vec3(0.22, 0.92, 1.0) * exp(-abs(qt_TexCoord0.y - sweep) * 60.0) * 0.04;

    colour = 1.0 - exp(-colour * 1.2);
    fragColor = vec4(colour, 1.0) * qt_Opacity;
}
