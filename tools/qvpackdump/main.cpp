// qvpackdump [--keys KEYSFILE --user-id ID] PACK
// Dumps a pack, object by object, with key names from a Keys.pack. The text
// is the one the test-data writer produces for the same bytes, so the two can
// be compared byte for byte. Reading goes through the bounded pack reader, so
// a hostile file ends in an "error:" line, never in a huge allocation.
// Exit: 0 when the stream ended cleanly, 1 after an "error:" line or an
// unreadable file, 2 on usage errors.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/core/QVKeyTable.h"
#include "model/core/QVPackStream.h"

#include "../common/ToolText.h"

namespace {

int usage(const char* message) {
    std::fprintf(stderr, "qvpackdump: %s\nusage: qvpackdump [--keys KEYSFILE --user-id ID] PACK\n", message);
    return 2;
}

bool readFile(const char* path, std::vector<unsigned char>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    char chunk[65536];
    out.clear();
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) out.insert(out.end(), chunk, chunk + in.gcount());
    return !in.bad();
}

std::string hexBytes(const char* data, std::size_t size) {
    std::string out;
    char buf[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(data[i]));
        out += buf;
    }
    return out;
}

std::string number(const char* format, double value) {
    if (std::isnan(value)) return "nan";
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

bool isContainer(const msgpack::object& o) {
    return o.type == msgpack::type::ARRAY || o.type == msgpack::type::MAP;
}

std::string inlineText(const msgpack::object& o);

std::string scalarText(const msgpack::object& o) {
    switch (o.type) {
    case msgpack::type::NIL: return "nil";
    case msgpack::type::BOOLEAN: return o.via.boolean ? "true" : "false";
    case msgpack::type::POSITIVE_INTEGER: return std::to_string(o.via.u64);
    case msgpack::type::NEGATIVE_INTEGER: return std::to_string(o.via.i64);
    case msgpack::type::FLOAT32: return "f32 " + number("%.9g", static_cast<float>(o.via.f64));
    case msgpack::type::FLOAT64: return "f64 " + number("%.17g", o.via.f64);
    case msgpack::type::STR: return "\"" + tooltext::escaped(o.via.str.ptr, o.via.str.size, true) + "\"";
    case msgpack::type::BIN: return "bin(" + hexBytes(o.via.bin.ptr, o.via.bin.size) + ")";
    case msgpack::type::EXT:
        return "ext(" + std::to_string(static_cast<int>(o.via.ext.type())) + "," +
               hexBytes(o.via.ext.data(), o.via.ext.size) + ")";
    default: return inlineText(o);
    }
}

// One-line form of any value; only a map key that is itself a container needs it.
std::string inlineText(const msgpack::object& o) {
    if (o.type == msgpack::type::ARRAY) {
        std::string out = "[";
        for (std::uint32_t i = 0; i < o.via.array.size; ++i)
            out += (i ? ", " : "") + inlineText(o.via.array.ptr[i]);
        return out + "]";
    }
    if (o.type == msgpack::type::MAP) {
        std::string out = "{";
        for (std::uint32_t i = 0; i < o.via.map.size; ++i)
            out += (i ? ", " : "") + inlineText(o.via.map.ptr[i].key) + ": " + inlineText(o.via.map.ptr[i].val);
        return out + "}";
    }
    return scalarText(o);
}

std::string keyLabel(const msgpack::object& key) {
    if (key.type != msgpack::type::POSITIVE_INTEGER) return "!" + inlineText(key);
    const std::string* name =
        key.via.u64 <= static_cast<std::uint64_t>(INT32_MAX) ? findKeyName(static_cast<std::int64_t>(key.via.u64)) : nullptr;
    return std::to_string(key.via.u64) + " " + (name ? tooltext::escaped(name->data(), name->size(), false) : "?");
}

class Dumper {
public:
    void entries(const msgpack::object& map, std::size_t indent) {
        for (std::uint32_t i = 0; i < map.via.map.size; ++i) {
            text_.append(indent, ' ');
            text_ += keyLabel(map.via.map.ptr[i].key) + ": ";
            value(map.via.map.ptr[i].val, indent);
        }
    }

    // Writes a value after its label and ends the line; containers close at `indent`.
    void value(const msgpack::object& o, std::size_t indent) {
        if (o.type == msgpack::type::MAP) {
            if (o.via.map.size == 0) {
                text_ += "{}\n";
                return;
            }
            text_ += "{\n";
            entries(o, indent + 2);
            text_.append(indent, ' ');
            text_ += "}\n";
        } else if (o.type == msgpack::type::ARRAY) {
            bool scalars = true;
            for (std::uint32_t i = 0; i < o.via.array.size; ++i) scalars = scalars && !isContainer(o.via.array.ptr[i]);
            if (scalars) {
                text_ += inlineText(o) + "\n";
                return;
            }
            text_ += "[\n";
            for (std::uint32_t i = 0; i < o.via.array.size; ++i) {
                text_.append(indent + 2, ' ');
                value(o.via.array.ptr[i], indent + 2);
            }
            text_.append(indent, ' ');
            text_ += "]\n";
        } else {
            text_ += scalarText(o) + "\n";
        }
    }

    void object(std::size_t index, std::size_t offset, const msgpack::object& o) {
        text_ += "object " + std::to_string(index) + " at " + std::to_string(offset) + "\n";
        if (o.type == msgpack::type::MAP) {
            entries(o, 2);
        } else {
            text_.append(2, ' ');
            value(o, 2);
        }
    }

    void line(const std::string& s) { text_ += s + "\n"; }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

}  // namespace

int main(int argc, char** argv) {
    const char* keysPath = nullptr;
    const char* userId = nullptr;
    const char* packPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keys") == 0 || std::strcmp(argv[i], "--user-id") == 0) {
            if (i + 1 >= argc) return usage((std::string(argv[i]) + " needs a value").c_str());
            (argv[i][2] == 'k' ? keysPath : userId) = argv[i + 1];
            ++i;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            return usage((std::string("unknown option ") + argv[i]).c_str());
        } else if (packPath) {
            return usage("more than one PACK");
        } else {
            packPath = argv[i];
        }
    }
    if (!packPath) return usage("PACK is required");
    if ((keysPath == nullptr) != (userId == nullptr)) return usage("--keys and --user-id go together");

    if (keysPath) {
        std::vector<unsigned char> keys;
        if (!readFile(keysPath, keys)) {
            std::fprintf(stderr, "qvpackdump: cannot read %s\n", keysPath);
            return 1;
        }
        installKeyTable(readKeysPack(keys.data(), keys.size(), userId));
    }
    std::vector<unsigned char> pack;
    if (!readFile(packPath, pack)) {
        std::fprintf(stderr, "qvpackdump: cannot read %s\n", packPath);
        return 1;
    }

    Dumper dump;
    QVPackStream stream(pack.data(), pack.size());
    int status = 0;
    try {
        msgpack::object_handle handle;
        std::size_t index = 0;
        while (stream.next(handle)) dump.object(index++, stream.objectOffset(), handle.get());
        if (stream.endedAtNil())
            dump.line("end: nil at " + std::to_string(stream.objectOffset()));
        else
            dump.line("end: data at " + std::to_string(pack.size()));
    } catch (const std::exception& e) {
        dump.line(std::string("error: ") + e.what() + " at " + std::to_string(stream.objectOffset()));
        status = 1;
    }
    std::fwrite(dump.text().data(), 1, dump.text().size(), stdout);
    return std::fflush(stdout) == 0 ? status : 1;
}
