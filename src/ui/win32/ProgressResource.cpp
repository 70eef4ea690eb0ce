#include "ui/ProgressResource.h"

#include "ui/Drawing.h"

namespace {

const ResourceStyle* DefaultProgressStyles() {
    static ResourceStyle styles[kStateCount];
    static bool ready = false;
    if (!ready) {
        styles[STATE_NORMAL].m_textColor = MakeRgb(65, 151, 255);
        styles[STATE_NORMAL].m_backColor = MakeRgb(238, 238, 238);
        styles[STATE_NORMAL].m_radius = 100;
        ready = true;
    }
    return styles;
}

}  // namespace

CProgressResource::CProgressResource(int32_t id, const ResourceStyle* styles)
    : CImageResource(id, RES_PROGRESS, styles ? styles : DefaultProgressStyles()) {}

void CProgressResource::SetPercent(uint32_t percent) {
    m_percent = percent;
    m_rcBar = ProgressBarRect(m_rect, m_percent);
}

bool CProgressResource::SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    CImageResource::SetRect(left, top, right, bottom);
    m_rcBar = ProgressBarRect(m_rect, m_percent);
    return true;
}

bool CProgressResource::Draw(HDC hdc) {
    if (!m_visible) return true;
    auto graphics = MakeGraphics(hdc);
    DrawBackground(*graphics);
    const ResourceStyle& style = GetCurrentStyle();
    // The bar's radius is not scaled: the diameter is clamped to the bar's height anyway.
    if (m_rcBar.Width() > 0) {
        FillShape(*graphics, m_rcBar.left, m_rcBar.top, m_rcBar.Width(), m_rcBar.Height(), style.m_textColor,
                  static_cast<int32_t>(style.m_radius));
    }
    return true;
}
