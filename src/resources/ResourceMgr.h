// The skin's pictures: written out of the executable's own resources into this run's folder,
// unpacked, and handed out by file name as GDI+ images. The manager also owns GDI+ itself, so
// it must be created before any view and released after the last one.
#pragma once

namespace Gdiplus {
class Image;
}

class IResourceMgr {
public:
    // The picture with exactly this file name (case-sensitive), decoded on first request and
    // then shared; null for a null or unknown name. Owned by the manager until Release.
    virtual Gdiplus::Image* GetImage(const wchar_t* name) = 0;
    // Frees every picture, then stops GDI+.
    virtual void Release() = 0;

protected:
    ~IResourceMgr() = default;
};

// `name` and `type` identify the zip resource, as for FindResourceW (an integer id goes through
// MAKEINTRESOURCEW). Null when the pictures could not be made available.
IResourceMgr* CreateResourceMgr(const wchar_t* name, const wchar_t* type);

// Where the skin lives inside the product executable.
constexpr int kSkinResourceId = 103;
constexpr const wchar_t* kSkinResourceType = L"BinarySystem";
constexpr int kExpectedImageCount = 15;
