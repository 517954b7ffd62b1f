// Textures of the background pictures in one GL object space: each picture is uploaded once,
// when a context of the space first draws it, and its texture is deleted once the picture is
// gone (replaced, cleared or the document cleared) at the next draw, when a context is current.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace zarni {

// The pixels a texture is made from: top row first, red-green-blue, rows packed.
struct TexturePixels {
    int32_t width = 0;
    int32_t height = 0;
    const uint8_t* rgb = nullptr;
};

// Makes a texture of the pixels in the present context: nearest filtering both ways, wrapping
// repeat. Row 0 is texture coordinate t = 0. Returns the texture name, 0 when the pixels are
// empty. The picture is uploaded as it is where the GL takes textures of any size that fit;
// elsewhere it is scaled to powers of two as gluBuild2DMipmaps does.
uint32_t MakePictureTexture(const TexturePixels& pixels);

// The textures of one object space (the contexts that share it), each tied to the picture it
// was made from. The owner is held weakly: the registry never keeps a picture alive.
class PictureTextures {
  public:
    // The texture of `owner`'s pixels, made now when it has none. A context of the space is
    // current.
    uint32_t Get(const std::shared_ptr<const void>& owner, const TexturePixels& pixels);
    // Deletes the textures whose pictures are gone. A context of the space is current.
    void ReleaseUnused();
    // Deletes the textures of every picture but those in `kept` (the pictures the document
    // shows now): a picture that only an undo step still holds keeps its pixels, not its
    // texture, which is made again should the step bring it back.
    void ReleaseUnused(const std::vector<const void*>& kept);
    // Forgets every texture without deleting it: the space itself is gone.
    void Forget();
    size_t size() const { return entries_.size(); }
    // How many textures were made since the registry was created.
    uint64_t uploads() const { return uploads_; }

  private:
    struct Entry {
        std::weak_ptr<const void> owner;
        uint32_t texture = 0;
    };
    std::vector<Entry> entries_;
    uint64_t uploads_ = 0;
};

}  // namespace zarni
