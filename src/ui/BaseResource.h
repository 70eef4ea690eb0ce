// Base of every widget: something a view draws in list order and hit-tests by its rectangle.
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/Geometry.h"
#include "ui/ResourceTypes.h"

class IBaseResource {
public:
    IBaseResource(ResourceType type, int32_t id) : m_type(type), m_id(id) {}
    IBaseResource(const IBaseResource&) = delete;
    IBaseResource& operator=(const IBaseResource&) = delete;
    virtual ~IBaseResource() = default;

    // Paints into `hdc` (the view's off-screen bitmap); always true.
    virtual bool Draw(HDC hdc) = 0;
    // Places the widget; false only for a layout that cannot be made.
    virtual bool SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;

    ResourceType GetType() const { return m_type; }
    int32_t GetId() const { return m_id; }
    const UiRect& GetRect() const { return m_rect; }
    bool IsVisible() const { return m_visible; }
    // Hidden widgets are not drawn but are still hit-tested.
    void SetVisible(bool visible) { m_visible = visible; }

protected:
    const ResourceType m_type;
    const int32_t m_id;
    UiRect m_rect;
    bool m_visible = true;
};
