// The whole document as JSON, for `zarni-cli info`.
#include "cli/document_json.h"

#include <cmath>
#include <cstdio>

#include "platform/cp932.h"

namespace zarni::cli {

namespace {

class Json {
  public:
    std::string& out;

    void Text(const std::string& utf8) {
        out += '"';
        for (unsigned char c : utf8) {
            switch (c) {
                case '"':
                    out += "\\\"";
                    break;
                case '\\':
                    out += "\\\\";
                    break;
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    if (c < 0x20) {
                        char buf[8];
                        std::snprintf(buf, sizeof buf, "\\u%04x", c);
                        out += buf;
                    } else {
                        out += static_cast<char>(c);
                    }
            }
        }
        out += '"';
    }
    void Number(double v) {
        if (!std::isfinite(v)) {
            out += "null";  // JSON has no NaN or infinity
            return;
        }
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.9g", v);
        out += buf;
    }
    void Int(long long v) { out += std::to_string(v); }
    void Key(const char* key) {
        Text(key);
        out += ": ";
    }
    void Vec(const Vec3& v) {
        out += '[';
        Number(v.x);
        out += ", ";
        Number(v.y);
        out += ", ";
        Number(v.z);
        out += ']';
    }
    template <typename T>
    void IntList(const T& list) {
        out += '[';
        bool first = true;
        for (auto v : list) {
            if (!first) out += ", ";
            first = false;
            Int(v);
        }
        out += ']';
    }
};

const char* const kSlotNames[kBackSlotCount] = {"Front", "Back", "Left", "Right", "Top", "Bottom"};

void ObjectJson(Json& j, const PatchObject& obj) {
    std::string& o = j.out;
    o += "    {\n      ";
    j.Key("name");
    j.Text(Cp932ToUtf8(obj.name));
    o += ",\n      ";
    j.Key("color");
    o += '[';
    for (int k = 0; k < 4; ++k) {
        if (k) o += ", ";
        j.Number(obj.color[k]);
    }
    o += "],\n      ";
    j.Key("mirrorFlags");
    j.Int(obj.mirrorFlags);
    o += ", ";
    j.Key("windmillCount");
    j.Int(obj.windmillCount);
    o += ", ";
    j.Key("windmillAxis");
    j.Int(obj.windmillAxis);
    o += ", ";
    j.Key("move");
    j.IntList(std::array<int32_t, 3>{{obj.moveX, obj.moveY, obj.moveZ}});
    o += ",\n      ";
    j.Key("points");
    o += '[';
    for (size_t i = 0; i < obj.points.size(); ++i) {
        const ControlPoint& p = obj.points[i];
        o += i ? ",\n        " : "\n        ";
        o += '[';
        j.Number(p.x);
        o += ", ";
        j.Number(p.y);
        o += ", ";
        j.Number(p.z);
        o += ", ";
        j.Int(p.anchor);
        o += ", ";
        j.Int(p.layer);
        o += ']';
    }
    o += obj.points.empty() ? "],\n      " : "\n      ],\n      ";
    j.Key("segments");
    o += '[';
    for (size_t i = 0; i < obj.segments.size(); ++i) {
        const Segment& s = obj.segments[i];
        o += i ? ",\n        " : "\n        ";
        j.IntList(std::array<int32_t, 4>{{s.p0, s.p1, s.p2, s.p3}});
    }
    o += obj.segments.empty() ? "],\n      " : "\n      ],\n      ";
    j.Key("patches");
    o += '[';
    for (size_t i = 0; i < obj.patches.size(); ++i) {
        const Patch& q = obj.patches[i];
        o += i ? ",\n        " : "\n        ";
        j.IntList(std::array<int32_t, 8>{
            {q.edge0, q.edge1, q.edge2, q.edge3, q.inner11, q.inner12, q.inner21, q.inner22}});
    }
    o += obj.patches.empty() ? "]\n    }" : "\n      ]\n    }";
}

}  // namespace

std::string DocumentJson(const Document& doc, const EditSwitches& sw) {
    std::string out;
    Json j{out};
    out += "{\n  ";
    j.Key("objectCount");
    j.Int(doc.objectCount());
    out += ",\n  ";
    j.Key("currentObject");
    j.Int(doc.currentObject);
    out += ",\n  ";
    j.Key("activePoint");
    j.Int(doc.activePoint);
    out += ",\n  ";
    j.Key("handleMode");
    j.Int(sw.handleMode);
    out += ",\n  ";
    j.Key("selectedAnchors");
    j.IntList(doc.selectedAnchors);
    out += ",\n  ";
    j.Key("selectedHandles");
    j.IntList(doc.selectedHandles);
    out += ",\n  ";
    j.Key("objects");
    out += "[\n";
    for (size_t i = 0; i < doc.objects.size(); ++i) {
        if (i) out += ",\n";
        ObjectJson(j, doc.objects[i]);
    }
    out += "\n  ],\n  ";
    j.Key("pictureRatio");
    j.Int(doc.pictureRatio);
    out += ",\n  ";
    j.Key("backPictures");
    out += "[";
    for (int k = 0; k < kBackSlotCount; ++k) {
        const BackPictureSlot& slot = doc.backPictures[k];
        out += k ? ",\n    {" : "\n    {";
        j.Key("slot");
        j.Text(kSlotNames[k]);
        out += ", ";
        j.Key("fileName");
        j.Text(slot.fileName);
        out += ", ";
        j.Key("scale");
        j.Vec(slot.scale);
        out += ", ";
        j.Key("rotation");
        j.Vec(slot.rotation);
        out += ", ";
        j.Key("position");
        j.Vec(slot.position);
        out += "}";
    }
    out += "\n  ],\n  ";
    j.Key("view");
    out += "{";
    j.Key("fovy");
    j.Number(doc.view.fovy);
    out += ", ";
    j.Key("orthoAltitude");
    out += '[';
    for (int k = 0; k < 6; ++k) {
        if (k) out += ", ";
        j.Number(doc.view.orthoAltitude[k]);
    }
    out += "], ";
    j.Key("orthoPan");
    out += '[';
    for (int k = 0; k < 6; ++k) {
        if (k) out += ", ";
        out += '[';
        j.Number(doc.view.orthoPan[k].x);
        out += ", ";
        j.Number(doc.view.orthoPan[k].y);
        out += ']';
    }
    out += "]}\n}\n";
    return out;
}

}  // namespace zarni::cli
