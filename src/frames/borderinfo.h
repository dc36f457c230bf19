#pragma once
// The document-wide border style drawn around frames that ask for a border.
// Held by the frame collection; its record is written directly (no class
// tag) inside the collection's record.

#include "archive.h"

#include <QRgb>

class BorderInfo : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(BorderInfo)

public:
    static constexpr quint16 kSchema = 7;
    static constexpr float kDefaultWidth = 0.0f;
    static constexpr QRgb kDefaultColour = 0xFFFFFFFF; // opaque white

    bool enabled = false;
    float width = kDefaultWidth; // canvas units
    QRgb colour = kDefaultColour;  // ARGB, alpha in the top byte

    // Record: byte enabled, f32 width, u32 colour.
    void serialize(CArchive& ar) override;

    friend bool operator==(const BorderInfo& a, const BorderInfo& b)
    {
        return a.enabled == b.enabled && a.width == b.width && a.colour == b.colour;
    }
};
