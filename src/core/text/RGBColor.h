#pragma once

// A colour in device RGB with single-precision components from 0 to 1 (alpha is always 1).
struct RGBColor
{
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;

    friend bool operator==(const RGBColor &, const RGBColor &) = default;
};
