#pragma once

// A drawing rectangle as the lyric drawing uses it: left and top inside,
// right and bottom just outside (a 435-wide client is 0 .. 435).
struct TextRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool isEmpty() const { return left >= right || top >= bottom; }
    friend bool operator==(const TextRect&, const TextRect&) = default;
};
