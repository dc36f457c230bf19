#pragma once
// The document-wide shadow style. Only `enabled` changes what is drawn: the
// renderer uses its own fixed offset and blur. The six values are kept and
// stored unchanged so files keep them for whatever reads them next. Held by
// the frame collection; its record is written directly (no class tag).

#include "archive.h"

#include <array>

class ShadowInfo : public CSerializable
{
    OMBRAVELLE_DECLARE_SERIAL(ShadowInfo)

public:
    static constexpr quint16 kSchema = 7;
    static constexpr int kValueCount = 6;
    // Two offsets and two extents in canvas units, then two weights.
    static constexpr std::array<float, kValueCount> kDefaultValues = {-0.15f, -0.15f, 0.07f, 0.07f, 0.4f, 0.67f};

    bool enabled = false;
    std::array<float, kValueCount> values = kDefaultValues;

    // Record: byte enabled, then the six f32 in order.
    void serialize(CArchive& ar) override;

    friend bool operator==(const ShadowInfo& a, const ShadowInfo& b)
    {
        return a.enabled == b.enabled && a.values == b.values;
    }
};
