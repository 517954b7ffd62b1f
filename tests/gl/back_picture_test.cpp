// Background pictures on rendered pixels: where each slot's picture lies and which way its
// texture runs, the switch that hides them, textures released with their pictures, and one
// texture shared by contexts made before and after it.
#include <memory>

#include "../core/bmp_writer.h"
#include "gl_fixture.h"
#include "rules/back_picture.h"
#include "gl/textures.h"

namespace zarni::gltest {
namespace {

using testing_files::kBottomLeft;
using testing_files::kBottomRight;
using testing_files::kTopLeft;
using testing_files::kTopRight;
using testing_files::Rgb8;

Rgb Of(Rgb8 c) {
    return {{c[0], c[1], c[2]}};
}

std::shared_ptr<LoadedPicture> QuarterPicture(int width, int height) {
    auto p = std::make_shared<LoadedPicture>();
    p->pixels.width = width;
    p->pixels.height = height;
    p->pixels.rgb = testing_files::QuarterPixels(width, height);
    return p;
}

class BackPictureTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        sw.backPictureVisible = 1;
    }
    void TearDown() override {
        for (BackPictureSlot& s : doc.backPictures)
            s.picture.reset();
        textures.ReleaseUnused();
    }

    // The scene as the views make it: each shown slot's texture from the registry.
    SceneInput Input() {
        SceneInput in(doc, sw, settings);
        textures.ReleaseUnused();
        if (!sw.backPictureVisible) return in;
        for (int k = 0; k < kBackSlotCount; ++k) {
            const auto& p = doc.backPictures[k].picture;
            if (!p) continue;
            const uint32_t t =
                textures.Get(p, TexturePixels{p->width(), p->height(), p->pixels.rgb.data()});
            in.backPictures[k] = BackPictureInput{t, p->width(), p->height()};
        }
        return in;
    }

    Image Show(ViewCamera& view) {
        view.displayMode = kDisplayShaded;  // no guides over the picture
        // A colour left from earlier drawing must not tint the picture.
        glColor3f(0.3f, 0.9f, 0.5f);
        return Draw(view, Input());
    }

    // The picture's colour at a model point, looked at a little inside each quarter.
    Rgb At(const Image& img, const ViewCamera& v, Vec3 p) const {
        const auto px = PixelOf(v, p);
        return img.At(px[0], px[1]);
    }

    PictureTextures textures;
};

TEST_F(BackPictureTest, FrontAndBackPicturesSpanTheirRectangleAndRunOppositeWays) {
    doc.backPictures[kBackFront].picture = QuarterPicture(300, 150);
    ViewCamera front = Ortho(kViewFront, 4.0f);
    Image img = Show(front);
    // 300 x 150 at 150 a unit: x -1..1, y -0.5..0.5, row 0 at the top, column 0 at the left.
    EXPECT_EQ(At(img, front, {-0.8f, 0.4f, -2}), Of(kTopLeft));
    EXPECT_EQ(At(img, front, {0.8f, 0.4f, -2}), Of(kTopRight));
    EXPECT_EQ(At(img, front, {-0.8f, -0.4f, -2}), Of(kBottomLeft));
    EXPECT_EQ(At(img, front, {0.8f, -0.4f, -2}), Of(kBottomRight));
    for (Vec3 outside :
         {Vec3{1.08f, 0, 0}, Vec3{-1.08f, 0, 0}, Vec3{0, 0.58f, 0}, Vec3{0, -0.58f, 0}}) {
        EXPECT_EQ(At(img, front, outside), Background()) << outside.x << " " << outside.y;
    }
    for (Vec3 inside : {Vec3{0.97f, 0.47f, 0}, Vec3{-0.97f, -0.47f, 0}})
        EXPECT_NE(At(img, front, inside), Background()) << inside.x << " " << inside.y;

    // In depth: the perspective view finds it at z = -2 (in front of the plane z = -1.9 and
    // behind z = -2.1 as the eye sees them, it projects where z = -2 does).
    ViewCamera persp = Perspective(0.0f, 0.0f, 6.0f);
    img = Show(persp);
    EXPECT_EQ(At(img, persp, {-0.8f, 0.4f, -2}), Of(kTopLeft));
    EXPECT_EQ(At(img, persp, {0.8f, -0.4f, -2}), Of(kBottomRight));

    // The Back picture runs towards -x: its first column lies at +x, so seen from behind it is
    // upright and not mirrored.
    doc.backPictures[kBackFront].picture.reset();
    doc.backPictures[kBackBack].picture = QuarterPicture(300, 150);
    ViewCamera back = Ortho(kViewBack, 4.0f);
    img = Show(back);
    EXPECT_EQ(At(img, back, {0.8f, 0.4f, 2}), Of(kTopLeft));
    EXPECT_EQ(At(img, back, {-0.8f, 0.4f, 2}), Of(kTopRight));
    EXPECT_EQ(At(img, back, {0.8f, -0.4f, 2}), Of(kBottomLeft));
    EXPECT_LT(PixelOf(back, {0.8f, 0.4f, 2})[0], kWidth / 2) << "on the left of the Back view";
}

TEST_F(BackPictureTest, TopAndBottomPicturesHaveTheirFirstRowOnOppositeSides) {
    doc.backPictures[kBackTop].picture = QuarterPicture(300, 150);
    ViewCamera top = Ortho(kViewTop, 4.0f);
    Image img = Show(top);
    // Top: row 0 at z = -0.5, column 0 at x = -1, in the plane y = -2.
    EXPECT_EQ(At(img, top, {-0.8f, -2, -0.4f}), Of(kTopLeft));
    EXPECT_EQ(At(img, top, {0.8f, -2, -0.4f}), Of(kTopRight));
    EXPECT_EQ(At(img, top, {-0.8f, -2, 0.4f}), Of(kBottomLeft));

    doc.backPictures[kBackTop].picture.reset();
    doc.backPictures[kBackBottom].picture = QuarterPicture(300, 150);
    ViewCamera bottom = Ortho(kViewBottom, 4.0f);
    img = Show(bottom);
    // Bottom: row 0 at z = +0.5.
    EXPECT_EQ(At(img, bottom, {-0.8f, 2, 0.4f}), Of(kTopLeft));
    EXPECT_EQ(At(img, bottom, {0.8f, 2, 0.4f}), Of(kTopRight));
    EXPECT_EQ(At(img, bottom, {-0.8f, 2, -0.4f}), Of(kBottomLeft));
}

TEST_F(BackPictureTest, PlacementRatioAndTheSwitchThatHidesEverySlot) {
    for (BackPictureSlot& s : doc.backPictures)
        s.picture = QuarterPicture(300, 150);
    // Ratio 300: half the size; a scale of 2 along x doubles it again; turned and moved.
    doc.pictureRatio = 300;
    doc.backPictures[kBackFront].scale = {2.0f, 1.0f, 1.0f};
    doc.backPictures[kBackFront].position = {0.5f, 0.0f, -2.0f};
    ViewCamera front = Ortho(kViewFront, 6.0f);
    Image img = Show(front);
    EXPECT_EQ(At(img, front, {0.5f - 0.9f, 0.2f, 0}), Of(kTopLeft));
    EXPECT_EQ(At(img, front, {0.5f + 0.9f, -0.2f, 0}), Of(kBottomRight));
    EXPECT_EQ(At(img, front, {0.5f, 0.3f, 0}), Background());
    doc.backPictures[kBackFront].rotation = {0.0f, 0.0f, 90.0f};
    img = Show(front);
    // A quarter turn about z: the top edge now faces -x.
    EXPECT_EQ(At(img, front, {0.5f - 0.2f, -0.9f, 0}), Of(kTopLeft));

    ViewCamera persp = Perspective(-0.5f, 0.6f, 12.0f);
    img = Show(persp);
    for (int k = 0; k < kBackSlotCount; ++k)
        EXPECT_TRUE(Covered(img, persp, doc.backPictures[k].position)) << "slot " << k;
    EXPECT_EQ(textures.size(), 6u);

    sw.backPictureVisible = 0;
    img = Show(persp);
    for (int k = 0; k < kBackSlotCount; ++k) {
        EXPECT_FALSE(Covered(img, persp, doc.backPictures[k].position)) << "slot " << k;
        EXPECT_NE(doc.backPictures[k].picture, nullptr);
    }
    EXPECT_EQ(textures.size(), 6u) << "hidden pictures keep their textures";
}

TEST_F(BackPictureTest, AReplacedOrClearedPictureLosesItsTexture) {
    doc.backPictures[kBackFront].picture = QuarterPicture(300, 150);
    ViewCamera front = Ortho(kViewFront, 4.0f);
    Show(front);
    ASSERT_EQ(textures.size(), 1u);
    const GLuint first = Input().backPictures[kBackFront].texture;
    EXPECT_TRUE(glIsTexture(first));

    // A smaller picture in its place: the old texture goes at the next draw.
    doc.backPictures[kBackFront].picture = QuarterPicture(150, 75);
    Image img = Show(front);
    EXPECT_EQ(textures.size(), 1u);
    EXPECT_FALSE(glIsTexture(first));
    EXPECT_EQ(At(img, front, {-0.4f, 0.2f, 0}), Of(kTopLeft));
    EXPECT_EQ(At(img, front, {-0.8f, 0.4f, 0}), Background());

    doc.backPictures[kBackFront].picture.reset();
    Show(front);
    EXPECT_EQ(textures.size(), 0u);
    EXPECT_EQ(textures.uploads(), 2u);
}

// A second context sharing the first one's objects, with a buffer of the fixture's size; the
// fixture's context is current again afterwards.
class SecondContext {
  public:
    explicit SecondContext(OSMesaContext share) : buffer_(kWidth * kHeight * 4) {
        previous_ = OSMesaGetCurrentContext();
        GLint format = 0;
        OSMesaGetColorBuffer(previous_, &width_, &height_, &format, &previousBuffer_);
        context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, share);
    }
    ~SecondContext() {
        OSMesaMakeCurrent(previous_, previousBuffer_, GL_UNSIGNED_BYTE, width_, height_);
        if (context_) OSMesaDestroyContext(context_);
    }
    bool MakeCurrent() {
        return context_ &&
               OSMesaMakeCurrent(context_, buffer_.data(), GL_UNSIGNED_BYTE, kWidth, kHeight);
    }

  private:
    std::vector<uint8_t> buffer_;
    OSMesaContext previous_ = nullptr;
    OSMesaContext context_ = nullptr;
    void* previousBuffer_ = nullptr;
    GLint width_ = 0, height_ = 0;
};

TEST_F(BackPictureTest, OneTextureServesAContextMadeAfterIt) {
    doc.backPictures[kBackFront].picture = QuarterPicture(300, 150);
    ViewCamera front = Ortho(kViewFront, 4.0f);
    Show(front);
    ASSERT_EQ(textures.uploads(), 1u);

    SecondContext later(Context());
    ASSERT_TRUE(later.MakeCurrent());
    InitContextState(settings);
    Image img = Show(front);
    EXPECT_EQ(textures.uploads(), 1u) << "the picture is uploaded once for every view";
    EXPECT_EQ(At(img, front, {-0.8f, 0.4f, 0}), Of(kTopLeft));
    EXPECT_EQ(At(img, front, {0.8f, -0.4f, 0}), Of(kBottomRight));

    // A picture first shown in the later context shows in the first one.
    doc.backPictures[kBackFront].picture = QuarterPicture(150, 150);
    Show(front);
    ASSERT_EQ(textures.uploads(), 2u);
}

}  // namespace
}  // namespace zarni::gltest
