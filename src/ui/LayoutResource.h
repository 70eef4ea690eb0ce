// The container that places a view's widgets by weight, top to bottom or left to right, with
// margins and spacing in base pixels. It draws nothing and owns none of its children (the view
// owns every widget). Windows only.
#pragma once

#include <vector>

#include "ui/BaseResource.h"

class CLayoutResource : public IBaseResource {
public:
    // `direction` LAYOUT_VERTICAL or LAYOUT_HORIZONTAL; any other value places no children.
    CLayoutResource(int32_t direction, int32_t id) : IBaseResource(RES_LAYOUT, id), m_direction(direction) {}

    void AddChild(IBaseResource* child, uint32_t weight);
    // The widget that covers the whole container (a background panel), placed after the
    // children over the container's rectangle without margins.
    void SetBound(IBaseResource* bound) {
        if (bound != m_pBound) m_pBound = bound;
    }
    void SetMargins(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom);
    void SetSpacing(uint32_t spacing) { m_spacing.spacing = spacing; }

    bool Draw(HDC) override { return true; }
    // Lays the children out at once; false (nothing placed) when there is no weight or too
    // little room, which is a mistake in the view that builds the tree.
    bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

    const std::vector<IBaseResource*>& GetChildren() const { return m_children; }

private:
    int32_t m_direction;
    LayoutSpacing m_spacing;
    IBaseResource* m_pBound = nullptr;
    std::vector<IBaseResource*> m_children;
    std::vector<uint32_t> m_weights;
};
