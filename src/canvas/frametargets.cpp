#include "frametargets.h"

#include "picinfo.h"
#include "picinfomanager.h"
#include "snapper.h"

#include <cmath>

namespace {

bool isFinite(const CCanvasRect& r)
{
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

} // namespace

CFrameSnapTargets::CFrameSnapTargets() = default;
CFrameSnapTargets::~CFrameSnapTargets() = default;

void CFrameSnapTargets::release() { m_entries.clear(); }

void CFrameSnapTargets::rebuild(const CPicInfoManager& frames, CSnapper& snapper)
{
    release();
    for (const auto& frame : frames.frames()) {
        if (!frames.isDrawn(*frame))
            continue;
        const CCanvasRect r = frame->frameRect();
        if (!isFinite(r))
            continue;
        Entry entry;
        entry.frameId = frame->id();
        entry.nearEdges = std::make_unique<CSnapTarget>(r.x, r.y, CSnapLine::kTypeFrame);
        entry.farEdges = std::make_unique<CSnapTarget>(r.x + r.width, r.y + r.height, CSnapLine::kTypeFrame);
        snapper.Register(*entry.nearEdges);
        snapper.Register(*entry.farEdges);
        m_entries.push_back(std::move(entry));
    }
}

const CFrameSnapTargets::Entry* CFrameSnapTargets::find(quint32 frameId) const
{
    for (const Entry& entry : m_entries) {
        if (entry.frameId == frameId)
            return &entry;
    }
    return nullptr;
}

bool CFrameSnapTargets::setFrameEnabled(quint32 frameId, bool enabled)
{
    // Every entry of the id: a damaged file may repeat one, and no copy may
    // pull a drag back to where it started.
    bool found = false;
    for (Entry& entry : m_entries) {
        if (entry.frameId != frameId)
            continue;
        entry.nearEdges->setEnabled(enabled);
        entry.farEdges->setEnabled(enabled);
        found = true;
    }
    return found;
}

void CFrameSnapTargets::enableAll()
{
    for (Entry& entry : m_entries) {
        entry.nearEdges->setEnabled(true);
        entry.farEdges->setEnabled(true);
    }
}
