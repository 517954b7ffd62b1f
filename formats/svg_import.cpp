// SVG drawings read through libxml2 (the whole tree first, so damage anywhere refuses the file)
// and svgpp (path grammar, shapes, transforms, viewports); the curves they draw become chains
// of cubic pieces. svgpp is heavy on templates: it stays inside this one file.
#define SVGPP_INTERCEPT_EXCEPTIONS
#include "formats/svg_import.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <svgpp/policy/xml/libxml2.hpp>
#include <svgpp/svgpp.hpp>

#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/files.h"

namespace zarni {

namespace {

constexpr double kPi = 3.14159265358979323846;

// An affine map as SVG writes it: x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    CurvePoint Apply(double x, double y) const { return {a * x + c * y + e, b * x + d * y + f}; }
    // This map after `m`: points go through `m` first.
    Affine Then(const Affine& m) const {
        return {a * m.a + c * m.b, b * m.a + d * m.b,     a * m.c + c * m.d,
                b * m.c + d * m.d, a * m.e + c * m.f + e, b * m.e + d * m.f + f};
    }
};

// Receives svgpp's events. Coordinates arrive absolute in the element's own system; they are
// mapped through the transforms of the element and its ancestors before they reach the
// builder, which works in the drawing's outermost system.
class SvgCurveContext {
  public:
    explicit SvgCurveContext(CurveSet& out) : builder_(out) { stack_.push_back(Level{}); }

    template <class ElementTag>
    void on_enter_element(ElementTag) {
        stack_.push_back(stack_.back());
    }
    void on_exit_element() {
        builder_.End();
        if (stack_.size() > 1) stack_.pop_back();
    }

    // Transforms: the matrix form is what svgpp hands over for the transform attribute; the
    // viewport of a nested <svg> arrives as a translation and a scale.
    void transform_matrix(const boost::array<double, 6>& m) {
        Concat({m[0], m[1], m[2], m[3], m[4], m[5]});
    }
    void transform_translate(double tx, double ty) { Concat({1, 0, 0, 1, tx, ty}); }
    void transform_translate(double tx) { transform_translate(tx, 0); }
    void transform_scale(double sx, double sy) { Concat({sx, 0, 0, sy, 0, 0}); }
    void transform_scale(double s) { transform_scale(s, s); }
    void transform_rotate(double degrees) {
        const double r = degrees * kPi / 180.0;
        Concat({std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0});
    }
    void transform_rotate(double degrees, double cx, double cy) {
        transform_translate(cx, cy);
        transform_rotate(degrees);
        transform_translate(-cx, -cy);
    }
    void transform_skew_x(double degrees) {
        Concat({1, 0, std::tan(degrees * kPi / 180.0), 1, 0, 0});
    }
    void transform_skew_y(double degrees) {
        Concat({1, std::tan(degrees * kPi / 180.0), 0, 1, 0, 0});
    }

    // Viewports (<svg> elements). A viewport of no size draws nothing inside it.
    void set_viewport(double, double, double, double) {}
    void set_viewbox_size(double, double) {}
    void get_reference_viewport_size(double&, double&) {}
    void disable_rendering() { stack_.back().hidden = true; }

    void path_move_to(double x, double y, svgpp::tag::coordinate::absolute) {
        if (Hidden()) return;
        builder_.MoveTo(Map(x, y));
        local_ = localStart_ = {x, y};
    }
    void path_line_to(double x, double y, svgpp::tag::coordinate::absolute) {
        if (Hidden()) return;
        Begin();
        builder_.LineTo(Map(x, y));
        local_ = {x, y};
    }
    void path_quadratic_bezier_to(double x1, double y1, double x, double y,
                                  svgpp::tag::coordinate::absolute) {
        if (Hidden()) return;
        Begin();
        builder_.QuadTo(Map(x1, y1), Map(x, y));
        local_ = {x, y};
    }
    void path_cubic_bezier_to(double x1, double y1, double x2, double y2, double x, double y,
                              svgpp::tag::coordinate::absolute) {
        if (Hidden()) return;
        Begin();
        builder_.CubicTo(Map(x1, y1), Map(x2, y2), Map(x, y));
        local_ = {x, y};
    }
    void path_elliptical_arc_to(double rx, double ry, double xAxisRotation, bool largeArc,
                                bool sweep, double x, double y, svgpp::tag::coordinate::absolute) {
        if (Hidden()) return;
        Begin();
        Arc(rx, ry, xAxisRotation, largeArc, sweep, x, y);
        local_ = {x, y};
    }
    void path_close_subpath() {
        if (Hidden()) return;
        builder_.Close();
        local_ = localStart_;
    }
    void path_exit() { builder_.End(); }

  private:
    struct Level {
        Affine map;
        bool hidden = false;
    };

    bool Hidden() const { return stack_.back().hidden; }
    void Concat(const Affine& m) { stack_.back().map = stack_.back().map.Then(m); }
    CurvePoint Map(double x, double y) const { return stack_.back().map.Apply(x, y); }

    // A drawing command right after a close starts a new chain where the closed one started.
    void Begin() {
        if (!builder_.Open()) builder_.MoveTo(Map(localStart_.x, localStart_.y));
    }

    // An elliptical arc from the present point, centred as the SVG rules place it (radii too
    // small for the two ends grow until they fit), cut into pieces of at most a quarter turn,
    // each one cubic: its greatest distance from the ellipse stays below 0.03 % of the radius.
    void Arc(double rx, double ry, double rotationDegrees, bool largeArc, bool sweep, double x2,
             double y2) {
        const double x1 = local_.x, y1 = local_.y;
        if (x1 == x2 && y1 == y2) return;
        rx = std::fabs(rx);
        ry = std::fabs(ry);
        if (rx == 0.0 || ry == 0.0) {
            builder_.LineTo(Map(x2, y2));
            return;
        }
        const double phi = rotationDegrees * kPi / 180.0;
        const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
        const double hx = (x1 - x2) / 2.0, hy = (y1 - y2) / 2.0;
        const double px = cosPhi * hx + sinPhi * hy;
        const double py = -sinPhi * hx + cosPhi * hy;
        const double lambda = (px * px) / (rx * rx) + (py * py) / (ry * ry);
        if (lambda > 1.0) {
            rx *= std::sqrt(lambda);
            ry *= std::sqrt(lambda);
        }
        const double num = rx * rx * ry * ry - rx * rx * py * py - ry * ry * px * px;
        const double den = rx * rx * py * py + ry * ry * px * px;
        double coef = den > 0.0 ? std::sqrt(std::max(0.0, num / den)) : 0.0;
        if (largeArc == sweep) coef = -coef;
        const double cxp = coef * rx * py / ry;
        const double cyp = -coef * ry * px / rx;
        const double cx = cosPhi * cxp - sinPhi * cyp + (x1 + x2) / 2.0;
        const double cy = sinPhi * cxp + cosPhi * cyp + (y1 + y2) / 2.0;
        const double theta1 = std::atan2((py - cyp) / ry, (px - cxp) / rx);
        double delta = std::atan2((-py - cyp) / ry, (-px - cxp) / rx) - theta1;
        if (sweep && delta < 0.0) delta += 2.0 * kPi;
        if (!sweep && delta > 0.0) delta -= 2.0 * kPi;
        const int pieces =
            std::max(1, static_cast<int>(std::ceil(std::fabs(delta) / (kPi / 2.0) - 1e-9)));
        const double step = delta / pieces;
        const double k = 4.0 / 3.0 * std::tan(step / 4.0);
        // A point of the unit circle's frame on the ellipse, in the element's system.
        auto onEllipse = [&](double u, double v) {
            return Map(cx + rx * u * cosPhi - ry * v * sinPhi,
                       cy + rx * u * sinPhi + ry * v * cosPhi);
        };
        for (int i = 0; i < pieces; ++i) {
            const double a = theta1 + step * i, b = a + step;
            const double ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
            const CurvePoint end = i + 1 == pieces ? Map(x2, y2) : onEllipse(cb, sb);
            builder_.CubicTo(onEllipse(ca - k * sa, sa + k * ca),
                             onEllipse(cb + k * sb, sb - k * cb), end);
        }
    }

    CurveBuilder builder_;
    std::vector<Level> stack_;
    CurvePoint local_;
    CurvePoint localStart_;
};

// Only these are drawn; svgpp skips every other element with all it holds.
typedef boost::mpl::set<svgpp::tag::element::svg, svgpp::tag::element::g, svgpp::tag::element::a,
                        svgpp::tag::element::path, svgpp::tag::element::rect,
                        svgpp::tag::element::circle, svgpp::tag::element::ellipse,
                        svgpp::tag::element::line, svgpp::tag::element::polyline,
                        svgpp::tag::element::polygon>::type DrawnElements;

typedef boost::mpl::insert<
    boost::mpl::insert<
        boost::mpl::insert<
            boost::mpl::insert<
                boost::mpl::insert<
                    boost::mpl::insert<
                        boost::mpl::insert<svgpp::traits::shapes_attributes_by_element,
                                           svgpp::tag::attribute::transform>::type,
                        boost::mpl::pair<svgpp::tag::element::svg, svgpp::tag::attribute::x>>::type,
                    boost::mpl::pair<svgpp::tag::element::svg, svgpp::tag::attribute::y>>::type,
                boost::mpl::pair<svgpp::tag::element::svg, svgpp::tag::attribute::width>>::type,
            boost::mpl::pair<svgpp::tag::element::svg, svgpp::tag::attribute::height>>::type,
        boost::mpl::pair<svgpp::tag::element::svg, svgpp::tag::attribute::viewBox>>::type,
    boost::mpl::pair<svgpp::tag::element::svg, svgpp::tag::attribute::preserveAspectRatio>>::type
    ReadAttributes;

// The path data and point lists wait until the element's transform is known, whatever the
// order of the attributes; styles are not read (nothing here depends on them).
struct AttributeOrder {
    static const bool parse_style = false;
    static const bool css_hides_presentation_attribute = false;
    typedef boost::mpl::always<boost::mpl::empty_sequence> get_priority_attributes_by_element;
    struct get_deferred_attributes_by_element {
        template <class Element>
        struct apply {
            typedef boost::mpl::vector2<svgpp::tag::attribute::d, svgpp::tag::attribute::points>
                type;
        };
    };
    typedef boost::mpl::quote1<svgpp::traits::element_required_attributes>
        get_required_attributes_by_element;
};

// Drawings from other programs carry attributes and elements svgpp does not know (data-*,
// sodipodi's, newer SVG's); those are passed over. Values that cannot be read still refuse the
// drawing.
template <class Context>
struct KnownOnlyErrors : svgpp::policy::error::raise_exception<Context> {
    template <class XMLElement, class ElementName>
    static bool unknown_element(const Context&, const XMLElement&, const ElementName&) {
        return true;
    }
    template <class XMLAttribute, class AttributeName, class NamespaceId>
    static bool unknown_attribute(const Context&, const XMLAttribute&, const AttributeName&,
                                  NamespaceId, svgpp::tag::source::attribute) {
        return true;
    }
    template <class XMLAttribute, class AttributeName>
    static bool unknown_attribute(const Context&, const XMLAttribute&, const AttributeName&,
                                  svgpp::tag::source::css) {
        return true;
    }
    template <class XMLElement>
    static bool unexpected_element(const Context&, const XMLElement&) {
        return true;
    }
};

using Traversal =
    svgpp::document_traversal<svgpp::processed_elements<DrawnElements>,
                              svgpp::processed_attributes<ReadAttributes>,
                              svgpp::viewport_policy<svgpp::policy::viewport::as_transform>,
                              svgpp::attribute_traversal_policy<AttributeOrder>,
                              svgpp::error_policy<KnownOnlyErrors<SvgCurveContext>>>;

const char kSvgNamespace[] = "http://www.w3.org/2000/svg";

bool InSvgNamespace(const xmlNode* node) {
    return node->ns == nullptr || node->ns->href == nullptr ||
           std::strcmp(reinterpret_cast<const char*>(node->ns->href), kSvgNamespace) == 0;
}

bool NameIs(const xmlNode* node, const char* name) {
    return std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

bool NameIsOneOf(const xmlNode* node, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (NameIs(node, name)) return true;
    return false;
}

std::string Attribute(xmlNode* node, const char* name) {
    xmlChar* value = xmlGetNoNsProp(node, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) return std::string();
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

bool HasAttribute(xmlNode* node, const char* name) {
    return xmlHasNsProp(node, reinterpret_cast<const xmlChar*>(name), nullptr) != nullptr;
}

// display="none" as an attribute or in the style (hidden layers of drawing programs).
bool NotDisplayed(xmlNode* node) {
    std::string display = Attribute(node, "display");
    std::string style = Attribute(node, "style");
    std::string squeezed;
    for (char ch : style)
        if (ch != ' ' && ch != '\t' && ch != '\n' && ch != '\r') squeezed += ch;
    return display == "none" || ("; " + squeezed).find(";display:none") != std::string::npos ||
           squeezed.rfind("display:none", 0) == 0;
}

// A shape without the attributes its size or outline comes from draws nothing.
bool LacksItsOutline(xmlNode* node) {
    if (NameIs(node, "path")) return !HasAttribute(node, "d");
    if (NameIs(node, "rect")) return !HasAttribute(node, "width") || !HasAttribute(node, "height");
    if (NameIs(node, "circle")) return !HasAttribute(node, "r");
    if (NameIs(node, "ellipse")) return !HasAttribute(node, "rx") || !HasAttribute(node, "ry");
    if (NameIsOneOf(node, {"polyline", "polygon"})) return !HasAttribute(node, "points");
    return false;
}

// Walks the drawing before svgpp does: counts what will be left out, and takes out of the
// tree the elements that are not displayed or lack their outline, which svgpp would refuse.
void Survey(xmlNode* parent, SvgImportNote& note) {
    xmlNode* child = parent->children;
    while (child != nullptr) {
        xmlNode* next = child->next;
        if (child->type == XML_ELEMENT_NODE && InSvgNamespace(child)) {
            const std::string name = reinterpret_cast<const char*>(child->name);
            if (NotDisplayed(child)) {
                xmlUnlinkNode(child);
                xmlFreeNode(child);
            } else if (NameIsOneOf(child, {"svg", "g", "a"})) {
                Survey(child, note);
            } else if (NameIsOneOf(child, {"path", "rect", "circle", "ellipse", "line", "polyline",
                                           "polygon"})) {
                if (LacksItsOutline(child)) {
                    ++note.leftOut[name];
                    xmlUnlinkNode(child);
                    xmlFreeNode(child);
                }
            } else if (NameIs(child, "defs")) {
                for (xmlNode* d = child->children; d != nullptr; d = d->next)
                    if (d->type == XML_ELEMENT_NODE && InSvgNamespace(d))
                        ++note.leftOut[reinterpret_cast<const char*>(d->name)];
            } else if (!NameIsOneOf(child, {"title", "desc", "metadata"})) {
                ++note.leftOut[name];
            }
        }
        child = next;
    }
}

xmlParserInputPtr RefuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
    return nullptr;
}

struct XmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct XmlParserFree {
    void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

std::string Trimmed(const char* text) {
    std::string s = text ? text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

}  // namespace

int SvgImportNote::LeftOutCount() const {
    int n = 0;
    for (const auto& entry : leftOut)
        n += entry.second;
    return n;
}

std::string SvgImportNote::Text() const {
    const int n = LeftOutCount();
    if (n == 0) return std::string();
    std::string text = std::to_string(n) +
                       (n == 1 ? " element that draws" : " elements that draw") + " nothing " +
                       (n == 1 ? "was" : "were") + " left out:";
    const char* separator = " ";
    for (const auto& entry : leftOut) {
        text += separator + entry.first + " " + std::to_string(entry.second);
        separator = ", ";
    }
    return text;
}

bool ReadSvgCurves(const std::string& bytes, CurveSet& curves, SvgImportNote* note,
                   std::string* why) {
    auto fail = [why](const std::string& text) {
        if (why) *why = text;
        return false;
    };
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) return fail("the file is too large");
    xmlInitParser();
    std::unique_ptr<xmlParserCtxt, XmlParserFree> parser(xmlNewParserCtxt());
    if (!parser) throw std::bad_alloc();
    // Entities declared in the drawing are replaced (drawing programs name the SVG namespace
    // through one), but nothing outside it is ever read: no network, no external entities,
    // no external DTD. No messages are printed by the library: the reason is taken from the
    // parser and reported by the caller.
    const int options = XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    const xmlExternalEntityLoader previousLoader = xmlGetExternalEntityLoader();
    xmlSetExternalEntityLoader(RefuseExternalEntity);
    std::unique_ptr<xmlDoc, XmlDocFree> doc(xmlCtxtReadMemory(
        parser.get(), bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, options));
    xmlSetExternalEntityLoader(previousLoader);
    if (!doc || !parser->wellFormed) {
        const xmlError* error = xmlCtxtGetLastError(parser.get());
        std::string text = "not well-formed XML";
        if (error != nullptr && error->message != nullptr)
            text += " (line " + std::to_string(error->line) + ": " + Trimmed(error->message) + ")";
        return fail(text);
    }
    xmlNode* root = xmlDocGetRootElement(doc.get());
    if (root == nullptr || !InSvgNamespace(root) || !NameIs(root, "svg")) {
        return fail(root ? "not an SVG drawing (its outermost element is <" +
                               std::string(reinterpret_cast<const char*>(root->name)) + ">)"
                         : "not an SVG drawing (no element)");
    }
    SvgImportNote survey;
    Survey(root, survey);

    CurveSet read;
    SvgCurveContext context(read);
    try {
        Traversal::load_document(root, context);
    } catch (const svgpp::exception_base& e) {
        std::string text = e.what();
        typedef boost::error_info<svgpp::tag::error_info::xml_element, xmlNode*> ElementInfo;
        if (xmlNode* const* element = boost::get_error_info<ElementInfo>(e)) {
            if (*element != nullptr) {
                text = "<" + std::string(reinterpret_cast<const char*>((*element)->name)) +
                       "> on line " + std::to_string(xmlGetLineNo(*element)) + ": " + text;
            }
        }
        return fail(text);
    }
    if (read.empty()) return fail("the drawing has no path or shape that draws a curve");
    curves = std::move(read);
    if (note) *note = std::move(survey);
    return true;
}

bool ReadSvgCurvesFile(const std::string& path, CurveSet& curves, SvgImportNote* note,
                       std::string* why) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes, why)) return false;
    return ReadSvgCurves(bytes, curves, note, why);
}

bool ImportSvgFile(const std::string& path, double size, CurveSet& curves, SvgImportNote* note,
                   std::string* why) {
    CurveSet read;
    if (!ReadSvgCurvesFile(path, read, note, why)) return false;
    if (!PlaceCurves(read, size, true, why)) return false;
    curves = std::move(read);
    return true;
}

bool IsSvgFileName(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& ch : ext)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return ext == ".svg";
}

}  // namespace zarni
