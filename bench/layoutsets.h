#pragma once
// Photo sets for the layout benchmark and measurement: what cameras and
// phones produce (4:3, 3:2, 9:16, 16:9, square, panoramas up to 6:1) in
// sets of one kind or mixed, drawn from a fixed seed.

#include <QSizeF>

#include <random>
#include <vector>

namespace LayoutSets {

enum class Kind { Camera43, Camera32, Phone, Square, Panoramas, Mixed, KindCount };

inline const char* kindName(Kind kind)
{
    switch (kind) {
    case Kind::Camera43: return "camera 4:3";
    case Kind::Camera32: return "camera 3:2";
    case Kind::Phone: return "phone 9:16/16:9";
    case Kind::Square: return "square";
    case Kind::Panoramas: return "panoramas 2:1-6:1 among 4:3";
    case Kind::Mixed: return "mixed";
    case Kind::KindCount: break;
    }
    return "";
}

// Orientation drawn per photo: about two thirds landscape, as cameras give.
inline QSizeF oriented(std::mt19937& random, double longSide, double shortSide)
{
    return std::uniform_int_distribution<int>(0, 2)(random) == 0 ? QSizeF(shortSide, longSide)
                                                                  : QSizeF(longSide, shortSide);
}

inline QSizeF panorama(std::mt19937& random)
{
    const double ratio = std::uniform_real_distribution<double>(2.0, 6.0)(random);
    return oriented(random, 1000.0 * ratio, 1000.0);
}

inline QSizeF photo(std::mt19937& random, Kind kind)
{
    switch (kind) {
    case Kind::Camera43: return oriented(random, 4000, 3000);
    case Kind::Camera32: return oriented(random, 6000, 4000);
    case Kind::Phone: return oriented(random, 1920, 1080);
    case Kind::Square: return QSizeF(2000, 2000);
    case Kind::Panoramas:
        return std::uniform_int_distribution<int>(0, 9)(random) == 0 ? panorama(random) : oriented(random, 4000, 3000);
    default: break;
    }
    const int pick = std::uniform_int_distribution<int>(0, 5)(random);
    return photo(random, pick == 5 ? Kind::Panoramas : Kind(pick));
}

inline std::vector<QSizeF> photoSet(std::mt19937& random, Kind kind, int count)
{
    std::vector<QSizeF> sizes;
    for (int i = 0; i < count; ++i)
        sizes.push_back(photo(random, kind));
    return sizes;
}

struct Canvas
{
    const char* name;
    double width;
    double height;
};

// The canvas-size presets of the canvas dialog.
inline const std::vector<Canvas>& presetCanvases()
{
    static const std::vector<Canvas> presets = {
        {"10 x 7.5", 10, 7.5}, {"7.5 x 10", 7.5, 10}, {"36 x 24", 36, 24}, {"24 x 36", 24, 36}};
    return presets;
}

} // namespace LayoutSets
