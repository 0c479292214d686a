// sxsmanifest: writes what a module derives from its class list and its
// type library: the side-by-side assembly manifest of an in-process server,
// so that hosts can create its classes without registration, and the
// module's interface-identifier resource records.
//
//   sxsmanifest TLB CLASSLIST OUT --assembly NAME --version A.B.C.D
//               --arch ARCH --file MODULE
//   sxsmanifest TLB CLASSLIST OUT --iid-records
//
// With --iid-records, OUT is a resource script fragment for windres: one
// record per listed class, named _IID_ and the class name in capitals, that
// holds a 32-bit length (16) and then the IID of the class's default
// interface in GUID memory layout. Data1 is a DWORD, Data2 and Data3 are
// WORDs, and the eight bytes of Data4 are written as four little-endian
// WORDs. The includer sets the language.
//
// The manifest says what DllRegisterServer writes to the registry, taken
// from the same two sources: the class list (CLASSLIST, the header whose
// lines "SOMETHING_CLASS(name...)" fill the class table) and the type
// library the module embeds (TLB), which gives the LIBID and its version,
// the library name (the ProgID prefix), each class's CLSID and the IID of
// its default interface. For the module MODULE it lists
//   - the type library,
//   - one comClass per listed class: CLSID, ProgID "<library>.<class>",
//     threading model Apartment, the type library,
//   - one comInterfaceExternalProxyStub per default interface, marshalled
//     by the automation (type-library) marshaller, as registration writes.
// A listed class that the type library lacks, or a creatable class of the
// type library that the list lacks, fails the build: the manifest and the
// registration then could not say the same.
//
// Portable C++17; runs on the build host. It reads the "MSFT" type library
// format: the header, the segment directory, the 100-byte type-info base
// records, and the GUID and name segments.

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kMagic = 0x5446534d;  // "MSFT"
constexpr size_t kHeaderSize = 0x54;
constexpr size_t kBaseSize = 0x64;
constexpr size_t kSegmentCount = 15;
constexpr uint32_t kHelpDllFlag = 0x100;
constexpr uint32_t kNone = UINT32_MAX;
enum Segment { SegTypeInfo = 0, SegGuid = 5, SegName = 7 };
constexpr int TkInterface = 3, TkDispatch = 4, TkCoclass = 5;
constexpr uint32_t TypeFlagCanCreate = 0x2;

// The proxy/stub of the automation (type-library) marshaller.
constexpr const char* kTypeLibraryMarshaller = "{00020424-0000-0000-C000-000000000046}";

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct TypeInfo {
    std::string name;
    int kind;
    uint32_t flags;
    std::string guid;  // registry form, "{...}" in capitals; empty when none
    uint8_t guidBytes[16] = {};  // the same GUID in memory layout
};

class TypeLibrary {
public:
    explicit TypeLibrary(std::vector<uint8_t> bytes) : data_(std::move(bytes)) { parse(); }

    std::string name;
    std::string libraryId;
    unsigned major = 0, minor = 0;
    std::vector<TypeInfo> infos;

    const TypeInfo* find(const std::string& typeName, int kind1, int kind2) const {
        for (const TypeInfo& info : infos)
            if (info.name == typeName && (info.kind == kind1 || info.kind == kind2)) return &info;
        return nullptr;
    }

private:
    uint32_t rd32(size_t pos) const {
        if (pos + 4 > data_.size()) throw Failure("read past the end of the type library");
        return uint32_t(data_[pos]) | uint32_t(data_[pos + 1]) << 8 | uint32_t(data_[pos + 2]) << 16 |
               uint32_t(data_[pos + 3]) << 24;
    }
    size_t segPos(Segment s, uint32_t offset, size_t bytes) const {
        if (size_t(offset) + bytes > segs_[s].length) throw Failure("offset outside its segment");
        return segs_[s].offset + offset;
    }
    std::string nameAt(uint32_t offset) const {
        size_t p = segPos(SegName, offset, 12);
        size_t length = data_[p + 8];
        segPos(SegName, offset, 12 + length);
        return std::string(reinterpret_cast<const char*>(&data_[p + 12]), length);
    }
    // A GUID entry {guid, owner, next hash} in the registry's text form.
    std::string guidAt(uint32_t offset) const {
        if (offset == kNone) return {};
        size_t p = segPos(SegGuid, offset, 24);
        char text[40];
        std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", rd32(p),
                      rd32(p + 4) & 0xffff, rd32(p + 6) & 0xffff, data_[p + 8], data_[p + 9], data_[p + 10],
                      data_[p + 11], data_[p + 12], data_[p + 13], data_[p + 14], data_[p + 15]);
        return text;
    }
    void guidBytesAt(uint32_t offset, uint8_t* bytes) const {
        if (offset == kNone) return;
        const size_t p = segPos(SegGuid, offset, 24);
        std::copy(data_.begin() + p, data_.begin() + p + 16, bytes);
    }
    void parse();

    struct Seg {
        uint32_t offset = 0, length = 0;
    };
    std::vector<uint8_t> data_;
    Seg segs_[kSegmentCount];
};

void TypeLibrary::parse() {
    if (data_.size() < kHeaderSize || rd32(0) != kMagic) throw Failure("not an MSFT type library");
    const uint32_t count = rd32(0x20);
    size_t pos = kHeaderSize + ((rd32(0x14) & kHelpDllFlag) ? 4 : 0) + 4 * size_t(count);
    for (size_t s = 0; s < kSegmentCount; ++s) {
        segs_[s].offset = rd32(pos + 16 * s);
        segs_[s].length = rd32(pos + 16 * s + 4);
        if (segs_[s].length && size_t(segs_[s].offset) + segs_[s].length > data_.size())
            throw Failure("segment outside the file");
    }
    libraryId = guidAt(rd32(0x08));
    if (libraryId.empty()) throw Failure("the type library has no LIBID");
    major = rd32(0x18) & 0xffff;
    minor = rd32(0x18) >> 16;
    name = nameAt(rd32(0x38));
    for (uint32_t i = 0; i < count; ++i) {
        const size_t base = segPos(SegTypeInfo, i * kBaseSize, kBaseSize);
        infos.push_back({nameAt(rd32(base + 0x34)), int(rd32(base) & 0xf), rd32(base + 0x30),
                         guidAt(rd32(base + 0x2c))});
        guidBytesAt(rd32(base + 0x2c), infos.back().guidBytes);
    }
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure("cannot open " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The class names of the list, in its order: the first argument of each
// "NAME_CLASS(" line; comments and other lines are skipped.
std::vector<std::string> readClassList(const std::string& path) {
    static const std::regex row(R"(^\s*[A-Z][A-Z0-9_]*_CLASS\(\s*([A-Za-z_][A-Za-z0-9_]*)\s*[,)])");
    std::istringstream text(readFile(path));
    std::vector<std::string> names;
    std::smatch match;
    for (std::string line; std::getline(text, line);)
        if (std::regex_search(line, match, row)) names.push_back(match[1]);
    if (names.empty()) throw Failure(path + " lists no class");
    return names;
}

struct Options {
    std::string assembly, version, arch, file;
};

// Every creatable class of the type library must be in the list.
void checkListComplete(const TypeLibrary& library, const std::vector<std::string>& classes) {
    std::map<std::string, bool> listed;
    for (const std::string& name : classes) listed[name] = true;
    for (const TypeInfo& info : library.infos)
        if (info.kind == TkCoclass && (info.flags & TypeFlagCanCreate) && !listed.count(info.name))
            throw Failure("the type library's creatable class " + info.name + " is not in the class list");
}

// The default interface of a listed class; fails when the type library lacks it.
const TypeInfo& defaultInterface(const TypeLibrary& library, const std::string& name) {
    const TypeInfo* dual = library.find("_" + name, TkDispatch, TkInterface);
    if (!dual || dual->guid.empty()) throw Failure("the type library has no interface _" + name);
    return *dual;
}

std::string manifest(const TypeLibrary& library, const std::vector<std::string>& classes, const Options& options) {
    checkListComplete(library, classes);
    const std::string tlbid = library.libraryId;
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        << "<!-- Written by the build from the class list and the type library. -->\r\n"
        << "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
        << "  <assemblyIdentity type=\"win32\" name=\"" << options.assembly << "\" version=\"" << options.version
        << "\" processorArchitecture=\"" << options.arch << "\"/>\r\n"
        << "  <file name=\"" << options.file << "\">\r\n"
        << "    <typelib tlbid=\"" << tlbid << "\" version=\"" << library.major << "." << library.minor
        << "\" helpdir=\"\"/>\r\n";
    std::ostringstream proxies;
    for (const std::string& name : classes) {
        const TypeInfo* coclass = library.find(name, TkCoclass, TkCoclass);
        if (!coclass || coclass->guid.empty()) throw Failure("the type library has no class " + name);
        const TypeInfo* dual = &defaultInterface(library, name);
        out << "    <comClass clsid=\"" << coclass->guid << "\" progid=\"" << library.name << "." << name
            << "\" threadingModel=\"Apartment\" tlbid=\"" << tlbid << "\"/>\r\n";
        proxies << "  <comInterfaceExternalProxyStub name=\"_" << name << "\" iid=\"" << dual->guid
                << "\" tlbid=\"" << tlbid << "\" proxyStubClsid32=\"" << kTypeLibraryMarshaller << "\"/>\r\n";
    }
    out << "  </file>\r\n" << proxies.str() << "</assembly>\r\n";
    return out.str();
}

std::string iidRecords(const TypeLibrary& library, const std::vector<std::string>& classes) {
    checkListComplete(library, classes);
    std::ostringstream out;
    out << "/* Written by the build from the class list and the type library. */\n";
    for (const std::string& name : classes) {
        const TypeInfo& dual = defaultInterface(library, name);
        const uint8_t* g = dual.guidBytes;
        std::string upper = name;
        for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
        char values[96];
        std::snprintf(values, sizeof values, "16L, 0x%08XL, 0x%04X, 0x%04X, 0x%04X, 0x%04X, 0x%04X, 0x%04X",
                      unsigned(g[0] | g[1] << 8 | g[2] << 16 | uint32_t(g[3]) << 24), unsigned(g[4] | g[5] << 8),
                      unsigned(g[6] | g[7] << 8), unsigned(g[8] | g[9] << 8), unsigned(g[10] | g[11] << 8),
                      unsigned(g[12] | g[13] << 8), unsigned(g[14] | g[15] << 8));
        out << "\n/* _" << name << " " << dual.guid << " */\n"
            << "1 _IID_" << upper << "\nBEGIN\n    " << values << "\nEND\n";
    }
    return out.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: %s TLB CLASSLIST OUT --assembly NAME --version A.B.C.D --arch ARCH --file MODULE\n"
                     "       %s TLB CLASSLIST OUT --iid-records\n",
                     argv[0], argv[0]);
        return 2;
    }
    try {
        const bool records = argc == 5 && std::string(argv[4]) == "--iid-records";
        Options options;
        const std::map<std::string, std::string*> settings = {{"--assembly", &options.assembly},
                                                              {"--version", &options.version},
                                                              {"--arch", &options.arch},
                                                              {"--file", &options.file}};
        for (int a = records ? argc : 4; a < argc; a += 2) {
            auto setting = settings.find(argv[a]);
            if (setting == settings.end()) throw Failure(std::string("unknown option ") + argv[a]);
            if (a + 1 >= argc) throw Failure(std::string("missing value after ") + argv[a]);
            *setting->second = argv[a + 1];
        }
        for (const auto& [option, value] : settings)
            if (!records && value->empty()) throw Failure(option + " is missing");
        if (!records && !std::regex_match(options.version, std::regex(R"(\d+\.\d+\.\d+\.\d+)")))
            throw Failure("--version wants four numbers, got " + options.version);

        const std::string bytes = readFile(argv[1]);
        const TypeLibrary library(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        const std::vector<std::string> classes = readClassList(argv[2]);
        const std::string text = records ? iidRecords(library, classes) : manifest(library, classes, options);
        std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) throw Failure(std::string("cannot write ") + argv[3]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sxsmanifest: %s\n", e.what());
        return 1;
    }
    return 0;
}
