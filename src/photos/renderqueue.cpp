#include "renderqueue.h"

#include <algorithm>

std::list<CRenderQueue::Entry>::iterator CRenderQueue::find(const CPhotoItem* photo)
{
    return std::find_if(m_entries.begin(), m_entries.end(), [photo](const Entry& e) { return e.photo == photo; });
}

bool CRenderQueue::contains(const CPhotoItem* photo) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [photo](const Entry& e) { return e.photo == photo; });
}

bool CRenderQueue::push(const Entry& entry)
{
    if (!entry.photo || contains(entry.photo))
        return false;
    if (size() > kCap) {
        const auto notInUse = [](const Entry& e) { return !e.inUse; };
        if (m_newestFirst) {
            const auto victim = std::find_if(m_entries.rbegin(), m_entries.rend(), notInUse);
            if (victim != m_entries.rend())
                m_entries.erase(std::next(victim).base());
        } else {
            const auto victim = std::find_if(m_entries.begin(), m_entries.end(), notInUse);
            if (victim != m_entries.end())
                m_entries.erase(victim);
        }
    }
    if (m_newestFirst)
        m_entries.push_front(entry);
    else
        m_entries.push_back(entry);
    return true;
}

CRenderQueue::Entry CRenderQueue::takeNext()
{
    if (m_entries.empty())
        return {};
    const Entry head = m_entries.front();
    if (isLarge(head.fileSize) && m_entries.size() > 1) {
        const auto small = std::find_if(std::next(m_entries.begin()), m_entries.end(),
                                        [](const Entry& e) { return e.fileSize < kLargeFileBytes; });
        if (small != m_entries.end()) {
            const Entry taken = *small;
            m_entries.erase(small);
            m_entries.pop_front();
            m_entries.push_back(head);
            return taken;
        }
    }
    m_entries.pop_front();
    return head;
}

bool CRenderQueue::remove(const CPhotoItem* photo)
{
    const auto it = find(photo);
    if (it == m_entries.end())
        return false;
    m_entries.erase(it);
    return true;
}
