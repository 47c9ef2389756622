#version 440
// The sung part of a lyric line: the line's glyphs in the cyan-white-magenta gradient, shown
// up to the sweep and fading out just after it, with a cyan and a magenta glow of the shown
// part. The source is the line's text (white on clear) with a margin around it for the glows;
// the text block spans textLeft...textRight of the texture's width.

layout(location = 0) in vec2 qt_TexCoord0;
layout(location = 0) out vec4 fragColor;

layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    float textLeft;
    float textRight;
    float sweepEnd;   // opaque up to here (0...1 of the text block)
    float sweepClear; // clear from here
    vec4 cyan;
    vec4 magenta;
    float cyanOpacity;
    float cyanRadius;     // pixels
    float magentaOpacity;
    float magentaRadius;  // pixels
    vec2 texelSize;
};

layout(binding = 1) uniform sampler2D source;

float blockX(float u) {
    return (u - textLeft) / max(textRight - textLeft, 1e-4);
}

float sweep(float u) {
    return 1.0 - clamp((blockX(u) - sweepEnd) / max(sweepClear - sweepEnd, 1e-4), 0.0, 1.0);
}

float shownAlpha(vec2 uv) {
    return texture(source, uv).a * sweep(uv.x);
}

// The shown glyphs blurred over `radius` pixels: rings of samples, nearer rings weigh more.
float glow(vec2 uv, float radius) {
    float total = shownAlpha(uv);
    float weight = 1.0;
    for (int ring = 1; ring <= 3; ++ring) {
        float distance = radius * float(ring) / 3.0;
        float w = 1.0 - float(ring) / 4.0;
        for (int i = 0; i < 12; ++i) {
            float angle = 6.2831853 * (float(i) + 0.5 * float(ring)) / 12.0;
            vec2 offset = vec2(cos(angle), sin(angle)) * texelSize * distance;
            total += shownAlpha(uv + offset) * w;
            weight += w;
        }
    }
    return total / weight;
}

void main() {
    float x = clamp(blockX(qt_TexCoord0.x), 0.0, 1.0);
    vec3 colour = x < 0.5 ? mix(cyan.rgb, vec3(1.0), x * 2.0) : mix(vec3(1.0), magenta.rgb, (x - 0.5) * 2.0);
    float alpha = shownAlpha(qt_TexCoord0);
    vec4 fill = vec4(colour * alpha, alpha);
    vec4 halo = vec4(cyan.rgb, 1.0) * glow(qt_TexCoord0, cyanRadius) * cyanOpacity
              + vec4(magenta.rgb, 1.0) * glow(qt_TexCoord0, magentaRadius) * magentaOpacity;
    fragColor = min(fill + halo * (1.0 - fill.a), vec4(1.0)) * qt_Opacity;
}
