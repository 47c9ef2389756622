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

float shownAlpha(vec2 uv, float lod) {
    return textureLod(source, uv, lod).a * sweep(uv.x);
}

// The shown glyphs blurred over `radius` pixels: a spiral of samples over the disc, read from
// a smaller mipmap level the wider the glow, so the samples blend instead of ghosting.
float glow(vec2 uv, float radius) {
    const int count = 24;
    float lod = max(0.0, log2(radius / 5.0));
    float total = 0.0;
    float weight = 0.0;
    for (int i = 0; i < count; ++i) {
        float f = (float(i) + 0.5) / float(count);
        float angle = float(i) * 2.3999632; // the golden angle
        vec2 offset = vec2(cos(angle), sin(angle)) * sqrt(f) * radius * texelSize;
        float w = 1.0 - 0.7 * f;
        total += shownAlpha(uv + offset, lod) * w;
        weight += w;
    }
    return total / weight;
}

void main() {
    float x = clamp(blockX(qt_TexCoord0.x), 0.0, 1.0);
    vec3 colour = x < 0.5 ? mix(cyan.rgb, vec3(1.0), x * 2.0) : mix(vec3(1.0), magenta.rgb, (x - 0.5) * 2.0);
    float alpha = shownAlpha(qt_TexCoord0, 0.0);
    vec4 fill = vec4(colour * alpha, alpha);
    vec4 halo = vec4(cyan.rgb, 1.0) * glow(qt_TexCoord0, cyanRadius) * cyanOpacity
              + vec4(magenta.rgb, 1.0) * glow(qt_TexCoord0, magentaRadius) * magentaOpacity;
    fragColor = min(fill + halo * (1.0 - fill.a), vec4(1.0)) * qt_Opacity;
}
