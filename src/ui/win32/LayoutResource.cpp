#include "ui/LayoutResource.h"

#include <cassert>

#include "ui/UiScale.h"

void CLayoutResource::AddChild(IBaseResource* child, uint32_t weight) {
    m_children.push_back(child);
    m_weights.push_back(weight);
}

void CLayoutResource::SetMargins(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) {
    m_spacing.left = left;
    m_spacing.top = top;
    m_spacing.right = right;
    m_spacing.bottom = bottom;
}

bool CLayoutResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    m_rect = MakeUiRect(left, top, right, bottom);
    std::vector<UiRect> places;
    const bool ok = m_children.size() == m_weights.size() &&
                    LayoutByWeights(m_direction, m_rect, m_spacing, m_weights, GetUiScale(), &places);
    assert(ok && "impossible layout");
    if (!ok) return false;
    for (size_t i = 0; i < places.size(); ++i) {
        if (m_children[i]) {
            m_children[i]->SetRect(places[i].left, places[i].top, places[i].right, places[i].bottom);
        }
    }
    if (m_pBound) m_pBound->SetRect(left, top, right, bottom);
    return true;
}
