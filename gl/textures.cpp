// Background-picture textures: the upload and the registry of one GL object space.
#include "gl/textures.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace zarni {

namespace {

// Whether the present context takes textures whose sides are not powers of two: every
// GL 2.0 or later does, and older ones with the extension.
bool AnySizeTextures() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && version[0] >= '2' && version[0] <= '9') return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_texture_non_power_of_two") != nullptr;
}

}  // namespace

uint32_t MakePictureTexture(const TexturePixels& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0 || !pixels.rgb) return 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    GLint unpack = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    // Nearest minification reads level 0 only, so a picture the GL takes as it is needs no
    // smaller levels; building them (and scaling to powers of two first) would cost several
    // times the upload for nothing that is ever drawn.
    if (pixels.width <= maxSide && pixels.height <= maxSide && AnySizeTextures()) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, pixels.width, pixels.height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, pixels.rgb);
    } else {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, pixels.width, pixels.height, GL_RGB, GL_UNSIGNED_BYTE,
                          pixels.rgb);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

uint32_t PictureTextures::Get(const std::shared_ptr<const void>& owner,
                              const TexturePixels& pixels) {
    if (!owner) return 0;
    for (const Entry& e : entries_) {
        // A gone picture's entry never matches a new picture at the same address.
        if (!e.owner.expired() && e.owner.lock() == owner) return e.texture;
    }
    const uint32_t texture = MakePictureTexture(pixels);
    if (texture != 0) {
        entries_.push_back(Entry{owner, texture});
        ++uploads_;
    }
    return texture;
}

void PictureTextures::ReleaseUnused() {
    std::vector<const void*> living;
    for (const Entry& e : entries_)
        if (const auto owner = e.owner.lock()) living.push_back(owner.get());
    ReleaseUnused(living);
}

void PictureTextures::ReleaseUnused(const std::vector<const void*>& kept) {
    for (size_t i = 0; i < entries_.size();) {
        const std::shared_ptr<const void> owner = entries_[i].owner.lock();
        if (owner && std::find(kept.begin(), kept.end(), owner.get()) != kept.end()) {
            ++i;
            continue;
        }
        const GLuint name = entries_[i].texture;
        glDeleteTextures(1, &name);
        entries_[i] = entries_.back();
        entries_.pop_back();
    }
}

void PictureTextures::Forget() {
    entries_.clear();
}

}  // namespace zarni
