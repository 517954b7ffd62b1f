// The built-in icons as wx bitmaps: each PNG decoded once, then served from a cache.
#include "ui/icon_bitmaps.h"

#include <wx/image.h>
#include <wx/mstream.h>

#include <map>

#include "resources/icons.h"

namespace zarni {
namespace {

std::map<int, wxBitmap>& Cache() {
    static std::map<int, wxBitmap> cache;
    return cache;
}

wxBitmap Decode(int id) {
    const IconData data = FindIcon(id);
    if (!data.bytes) return wxBitmap();
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxMemoryInputStream stream(data.bytes, data.size);
    wxImage image;
    if (!image.LoadFile(stream, wxBITMAP_TYPE_PNG)) return wxBitmap();
    return wxBitmap(image);
}

}  // namespace

const wxBitmap& IconBitmap(int id) {
    auto& cache = Cache();
    auto found = cache.find(id);
    if (found == cache.end()) found = cache.emplace(id, Decode(id)).first;
    return found->second;
}

void ReleaseIconBitmaps() {
    Cache().clear();
}

}  // namespace zarni
