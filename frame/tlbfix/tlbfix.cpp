// tlbfix: corrections to the type library that widl writes, applied
// before the library is embedded in the module.
//
//   tlbfix IN.tlb OUT.tlb [--lbound RECORD.FIELD=N]... [--packed RECORD]... [--last NAME]...
//                         [--keep-order] [--stamp SECONDS]
//
// 1. Array lower bounds.  IDL has no syntax for the lower bound of a fixed
//    array in a record, so widl always writes 0.  --lbound sets the bound
//    of the (one-dimensional) array field RECORD.FIELD to N.
//
// 2. Packed records.  widl lays every record out with natural alignment and
//    ignores #pragma pack, but some platform structures are declared packed
//    (all of <mmsystem.h> is, under pshpack1.h), which shows in 64-bit code
//    once a pointer follows a 32-bit field.  --packed RECORD puts the
//    record's fields back to back, makes its size their sum and its
//    alignment 1, as the platform's headers do.  Its fields must be of
//    built-in types.
//
// 3. Order of the type descriptions.  widl writes a type the first time
//    anything refers to it, so a record or enumeration used in a method
//    signature lands before the interface that uses it.  The published
//    order is: interfaces and coclasses as declared, then the records, then
//    the enumerations (each group in the order widl wrote them, which is
//    declaration order when the IDL declares these types before the
//    interfaces), then the types named with --last, in that order.
//
//    --keep-order leaves the order as widl wrote it (a library that needs
//    no other correction than 4.).
//
// 4. The build time stamp.  widl records when it ran, twice, in the
//    library's custom data: the text "Created by WIDL version V at <date>"
//    and the same moment as a number of seconds.  --stamp SECONDS puts the
//    given moment (the time of the source, SOURCE_DATE_EPOCH, in UTC) in
//    both, so that two builds of one source give the same bytes.  A library
//    without these two entries fails: a widl that wrote them differently
//    would otherwise leave the build unreproducible unnoticed.
//
// The tool reads and writes the "MSFT" type library format.  A type
// description is addressed by the byte offset of its 100-byte base record
// in the type-info segment (index * 100); reordering moves the base records
// and rewrites every place that holds such an offset:
//   - the index in the high word of each base record's kind field,
//   - the base type of an interface (datatype1, when not imported),
//   - the implemented-interface entries of the reference segment,
//   - VT_USERDEFINED entries of the type-descriptor segment,
//   - the owner field of GUID entries that belong to a type description,
//   - the owner field of name entries.
// The member data blocks are rewritten in the new order so that they stay
// in ascending file order, as a compiler would have written them.
//
// Portable C++17; runs on the build host.  Exit code 0 on success; any
// inconsistency in the input is reported and fails the build.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kMagic = 0x5446534d;  // "MSFT"
constexpr size_t kHeaderSize = 0x54;
constexpr size_t kBaseSize = 0x64;       // one type-info base record
constexpr size_t kSegmentCount = 15;
constexpr uint32_t kHelpDllFlag = 0x100;

// Segment directory indexes.
enum Segment {
    SegTypeInfo = 0,
    SegImportInfo,
    SegImportFiles,
    SegReferences,
    SegGuidHash,
    SegGuid,
    SegNameHash,
    SegName,
    SegString,
    SegTypeDesc,
    SegArrayDesc,
    SegCustData,
    SegCustDataGuid,
};

// Field offsets inside a type-info base record.
constexpr size_t kBaseTypeKind = 0x00;
constexpr size_t kBaseMemOffset = 0x04;
constexpr size_t kBaseElements = 0x18;
constexpr size_t kBasePosGuid = 0x2c;
constexpr size_t kBaseName = 0x34;
constexpr size_t kBaseInstanceSize = 0x50;  // a record's size in bytes
constexpr size_t kBaseDataType1 = 0x54;
// The type kind field also holds the alignment, twice: bits 6-10 and 11-15.
constexpr uint32_t kAlignmentMask = 0x1f << 6 | 0x1f << 11;

// Field offsets inside a member (variable) record.
constexpr size_t kVarDataType = 0x04;
constexpr size_t kVarOffset = 0x10;     // the field's offset in the record

constexpr int TkEnum = 0, TkRecord = 1, TkInterface = 3, TkDispatch = 4, TkCoclass = 5;
constexpr uint32_t VtCArray = 28, VtUserDefined = 29;
constexpr uint32_t SysWin64 = 3;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class TypeLib {
public:
    explicit TypeLib(std::vector<uint8_t> bytes) : data_(std::move(bytes)) { parse(); }

    const std::vector<uint8_t>& bytes() const { return data_; }

    void setArrayLowerBound(const std::string& record, const std::string& field, int32_t bound);
    void pack(const std::string& record);
    void reorder(const std::vector<std::string>& last);
    void stamp(int64_t seconds);

private:
    struct Seg {
        uint32_t offset;
        uint32_t length;
    };
    struct Info {
        std::string name;
        int kind;
        uint32_t memOffset;
        uint32_t funcs;
        uint32_t vars;
        uint32_t posGuid;
        uint32_t blockLength;  // bytes of member data at memOffset
    };

    uint32_t rd32(size_t pos) const {
        if (pos + 4 > data_.size()) throw Failure("read past the end of the type library");
        return uint32_t(data_[pos]) | uint32_t(data_[pos + 1]) << 8 | uint32_t(data_[pos + 2]) << 16 |
               uint32_t(data_[pos + 3]) << 24;
    }
    void wr32(size_t pos, uint32_t v) {
        if (pos + 4 > data_.size()) throw Failure("write past the end of the type library");
        for (int i = 0; i < 4; ++i) data_[pos + i] = uint8_t(v >> (8 * i));
    }
    size_t segPos(Segment s, uint32_t offsetInSegment) const {
        if (offsetInSegment >= segs_[s].length) throw Failure("offset outside its segment");
        return segs_[s].offset + offsetInSegment;
    }
    size_t basePos(size_t index) const { return segs_[SegTypeInfo].offset + index * kBaseSize; }

    std::string nameAt(uint32_t nameOffset) const {
        size_t p = segPos(SegName, nameOffset);
        size_t len = data_[p + 8];
        if (p + 12 + len > data_.size()) throw Failure("name runs past the end");
        return std::string(reinterpret_cast<const char*>(&data_[p + 12]), len);
    }

    void parse();
    const Info& record(const std::string& name) const;
    uint32_t builtInSize(uint32_t dataType, const std::string& what) const;
    // Maps an old type-info offset to the new one; other values pass through.
    uint32_t remap(uint32_t ref, const std::vector<size_t>& newIndexOf) const {
        if (ref % kBaseSize != 0 || ref / kBaseSize >= infos_.size()) return ref;
        return uint32_t(newIndexOf[ref / kBaseSize] * kBaseSize);
    }

    std::vector<uint8_t> data_;
    Seg segs_[kSegmentCount]{};
    std::vector<Info> infos_;
    size_t tailStart_ = 0;  // first byte after the segments: member data blocks
};

void TypeLib::parse() {
    if (data_.size() < kHeaderSize || rd32(0) != kMagic) throw Failure("not an MSFT type library");
    uint32_t varflags = rd32(0x14);
    uint32_t count = rd32(0x20);
    size_t pos = kHeaderSize + ((varflags & kHelpDllFlag) ? 4 : 0);
    for (uint32_t i = 0; i < count; ++i)
        if (rd32(pos + 4 * i) != i * kBaseSize) throw Failure("type-info offsets are not sequential");
    pos += 4 * size_t(count);
    for (size_t s = 0; s < kSegmentCount; ++s) {
        segs_[s].offset = rd32(pos + 16 * s);
        segs_[s].length = rd32(pos + 16 * s + 4);
        if (segs_[s].length && size_t(segs_[s].offset) + segs_[s].length > data_.size())
            throw Failure("segment outside the file");
        if (segs_[s].length) tailStart_ = std::max(tailStart_, size_t(segs_[s].offset) + segs_[s].length);
    }
    if (segs_[SegTypeInfo].length != count * kBaseSize) throw Failure("type-info segment size mismatch");

    for (uint32_t i = 0; i < count; ++i) {
        size_t b = basePos(i);
        Info info;
        info.kind = int(rd32(b + kBaseTypeKind) & 0xf);
        info.memOffset = rd32(b + kBaseMemOffset);
        uint32_t elements = rd32(b + kBaseElements);
        info.funcs = elements & 0xffff;
        info.vars = elements >> 16;
        info.posGuid = rd32(b + kBasePosGuid);
        info.name = nameAt(rd32(b + kBaseName));
        info.blockLength = 0;
        if (info.funcs + info.vars) {
            uint32_t recordBytes = rd32(info.memOffset);
            info.blockLength = 4 + recordBytes + 12 * (info.funcs + info.vars);
            if (info.memOffset < tailStart_ || size_t(info.memOffset) + info.blockLength > data_.size())
                throw Failure("member data of " + info.name + " outside the file");
        }
        if ((rd32(b + kBaseTypeKind) >> 16) != i) throw Failure("index field of " + info.name + " is wrong");
        infos_.push_back(info);
    }
}

const TypeLib::Info& TypeLib::record(const std::string& name) const {
    for (const Info& i : infos_)
        if (i.name == name && i.kind == TkRecord) return i;
    throw Failure("no record named " + name);
}

void TypeLib::setArrayLowerBound(const std::string& record, const std::string& field, int32_t bound) {
    const Info* rec = &this->record(record);

    // Every array descriptor referenced by any record field, with its user.
    std::map<uint32_t, std::string> users;
    uint32_t target = UINT32_MAX;
    for (const Info& i : infos_) {
        if (i.kind != TkRecord || !i.vars) continue;
        size_t records = i.memOffset + 4;
        size_t n = i.funcs + i.vars;
        size_t namesAt = records + rd32(i.memOffset) + 4 * n;
        size_t offsetsAt = namesAt + 4 * n;
        for (size_t v = i.funcs; v < n; ++v) {
            uint32_t dataType = rd32(records + rd32(offsetsAt + 4 * v) + 4);
            if (dataType & 0x80000000u) continue;  // a built-in type, no descriptor
            size_t td = segPos(SegTypeDesc, dataType);
            if ((rd32(td) & 0xffff) != VtCArray) continue;
            uint32_t arrayDesc = rd32(td + 4);
            std::string who = i.name + "." + nameAt(rd32(namesAt + 4 * v));
            if (&i == rec && nameAt(rd32(namesAt + 4 * v)) == field) target = arrayDesc;
            auto [it, fresh] = users.emplace(arrayDesc, who);
            if (!fresh) it->second += ", " + who;
        }
    }
    if (target == UINT32_MAX) throw Failure(record + "." + field + " is no fixed array field");
    if (users[target] != record + "." + field)
        throw Failure("array descriptor of " + record + "." + field + " is shared with " + users[target]);

    size_t ad = segPos(SegArrayDesc, target);
    if ((rd32(ad + 4) & 0xffff) != 1) throw Failure(record + "." + field + " is not one-dimensional");
    wr32(ad + 12, uint32_t(bound));  // after {element type, dims}: {cElements, lLbound}
}

// Bytes of a field of a built-in type (a data type with the high bit set
// holds the VARTYPE in its low word); pointers and automation strings take
// the library's pointer size.
uint32_t TypeLib::builtInSize(uint32_t dataType, const std::string& what) const {
    if (!(dataType & 0x80000000u)) throw Failure(what + " is not of a built-in type");
    const uint32_t pointer = (rd32(0x14) & 0xf) == SysWin64 ? 8 : 4;
    switch (dataType & 0xffff) {
        case 16: case 17:                           // I1, UI1
            return 1;
        case 2: case 18: case 11:                   // I2, UI2, BOOL
            return 2;
        case 3: case 19: case 22: case 23: case 4: case 10:  // I4, UI4, INT, UINT, R4, ERROR
            return 4;
        case 20: case 21: case 5: case 6: case 7:   // I8, UI8, R8, CY, DATE
            return 8;
        case 8: case 9: case 13:                    // BSTR, DISPATCH, UNKNOWN
            return pointer;
        default:
            throw Failure(what + " has a type whose size tlbfix does not know");
    }
}

void TypeLib::pack(const std::string& name) {
    const Info& rec = record(name);
    size_t records = rec.memOffset + 4;
    size_t n = rec.funcs + rec.vars;
    size_t offsetsAt = records + rd32(rec.memOffset) + 8 * n;
    uint32_t offset = 0;
    for (size_t v = rec.funcs; v < n; ++v) {
        size_t var = records + rd32(offsetsAt + 4 * v);
        wr32(var + kVarOffset, offset);
        offset += builtInSize(rd32(var + kVarDataType), name + " field " + std::to_string(v + 1));
    }
    for (size_t i = 0; i < infos_.size(); ++i) {
        if (&infos_[i] != &rec) continue;
        size_t b = basePos(i);
        wr32(b + kBaseInstanceSize, offset);
        wr32(b + kBaseTypeKind, (rd32(b + kBaseTypeKind) & ~kAlignmentMask) | 1u << 6 | 1u << 11);
    }
}

void TypeLib::reorder(const std::vector<std::string>& last) {
    const size_t n = infos_.size();
    auto group = [&](size_t i) -> size_t {
        auto it = std::find(last.begin(), last.end(), infos_[i].name);
        if (it != last.end()) return 4 + size_t(it - last.begin());
        switch (infos_[i].kind) {
            case TkInterface:
            case TkDispatch:
            case TkCoclass: return 0;
            case TkRecord: return 1;
            case TkEnum: return 2;
            default: return 3;
        }
    };
    for (const std::string& name : last)
        if (std::none_of(infos_.begin(), infos_.end(), [&](const Info& i) { return i.name == name; }))
            throw Failure("--last names no type description: " + name);

    std::vector<size_t> order(n);  // new index -> old index
    for (size_t i = 0; i < n; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return group(a) < group(b); });
    std::vector<size_t> newIndexOf(n);
    for (size_t k = 0; k < n; ++k) newIndexOf[order[k]] = k;

    // Base records, in the new order, with their index field and base type.
    std::vector<uint8_t> bases(n * kBaseSize);
    for (size_t k = 0; k < n; ++k)
        std::memcpy(&bases[k * kBaseSize], &data_[basePos(order[k])], kBaseSize);
    std::memcpy(&data_[basePos(0)], bases.data(), bases.size());
    for (size_t k = 0; k < n; ++k) {
        size_t b = basePos(k);
        wr32(b + kBaseTypeKind, (rd32(b + kBaseTypeKind) & 0xffff) | uint32_t(k) << 16);
        int kind = int(rd32(b + kBaseTypeKind) & 0xf);
        uint32_t base = rd32(b + kBaseDataType1);
        if ((kind == TkInterface || kind == TkDispatch) && base != UINT32_MAX)
            wr32(b + kBaseDataType1, remap(base, newIndexOf));
    }

    // Implemented interfaces of the coclasses: {hreftype, flags, custdata, next}.
    for (uint32_t off = 0; off + 16 <= segs_[SegReferences].length; off += 16) {
        size_t p = segPos(SegReferences, off);
        wr32(p, remap(rd32(p), newIndexOf));
    }
    // Type descriptors: {vt and flags, hreftype or descriptor offset}.
    for (uint32_t off = 0; off + 8 <= segs_[SegTypeDesc].length; off += 8) {
        size_t p = segPos(SegTypeDesc, off);
        if ((rd32(p) & 0xffff) == VtUserDefined) wr32(p + 4, remap(rd32(p + 4), newIndexOf));
    }
    // GUID entries {guid, owner, next hash}: only those of type descriptions
    // carry a type-info offset as owner (others hold import or library marks).
    std::set<uint32_t> typeGuids;
    for (const Info& i : infos_)
        if (i.posGuid != UINT32_MAX) typeGuids.insert(i.posGuid);
    for (uint32_t g : typeGuids) {
        size_t p = segPos(SegGuid, g) + 16;
        wr32(p, remap(rd32(p), newIndexOf));
    }
    // Name entries {owner, next hash, length, flags, hash, text}: the owner is
    // -1 or the type description that first used the name.
    for (uint32_t off = 0; off < segs_[SegName].length;) {
        size_t p = segPos(SegName, off);
        uint32_t owner = rd32(p);
        if (owner != UINT32_MAX) wr32(p, remap(owner, newIndexOf));
        off += 12 + ((data_[p + 8] + 3u) & ~3u);
    }

    // Member data blocks, rewritten in the new order.
    std::vector<uint8_t> tail;
    for (size_t k = 0; k < n; ++k) {
        const Info& info = infos_[order[k]];
        wr32(basePos(k) + kBaseMemOffset, uint32_t(tailStart_ + tail.size()));
        if (info.blockLength)
            tail.insert(tail.end(), data_.begin() + info.memOffset,
                        data_.begin() + info.memOffset + info.blockLength);
    }
    if (tailStart_ + tail.size() != data_.size())
        throw Failure("member data blocks do not fill the end of the file");
    std::copy(tail.begin(), tail.end(), data_.begin() + tailStart_);

    std::vector<Info> reordered;
    for (size_t k = 0; k < n; ++k) reordered.push_back(infos_[order[k]]);
    infos_ = std::move(reordered);
    for (size_t k = 0; k < n; ++k) infos_[k].memOffset = rd32(basePos(k) + kBaseMemOffset);
}

// widl's custom data entries of the library, as MIDL writes them:
// {DE77BA65-517C-11D1-A2DA-0000F8773CE9} holds the "Created by" text,
// {DE77BA63-...} the time value ({DE77BA64-...}, the compiler's version,
// stays).
// A custom data entry is a 16-bit variant type followed by its value: a
// 32-bit length and the characters for a string, 4 bytes for VT_UI4.
void TypeLib::stamp(int64_t seconds) {
    static const uint8_t kCreatedBy[16] = {0x64, 0xba, 0x77, 0xde, 0x7c, 0x51, 0xd1, 0x11,
                                           0xa2, 0xda, 0x00, 0x00, 0xf8, 0x77, 0x3c, 0xe9};
    constexpr uint16_t VtBstr = 8, VtUi4 = 19;
    if (seconds < 0 || seconds > 0xffffffffLL) throw Failure("--stamp is outside 32 bits");
    std::time_t t = std::time_t(seconds);
    std::tm utc{};
    if (!gmtime_r(&t, &utc)) throw Failure("--stamp is no date");
    char date[32];
    // The form of asctime(), which widl uses: 24 characters.
    if (std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", &utc) != 24)
        throw Failure("--stamp gives a date of another length");
    // asctime pads the day with a space, not a zero.
    if (date[8] == '0') date[8] = ' ';

    bool text = false, number = false;
    const Seg& list = segs_[SegCustDataGuid];
    for (uint32_t e = 0; e + 12 <= list.length; e += 12) {
        size_t entry = segPos(SegCustDataGuid, e);
        size_t guid = segPos(SegGuid, rd32(entry));
        size_t value = segPos(SegCustData, rd32(entry + 4));
        if (guid + 16 > data_.size() || value + 6 > data_.size()) throw Failure("custom data outside the file");
        uint8_t id[16];
        std::memcpy(id, &data_[guid], 16);
        uint8_t first = id[0];
        id[0] = kCreatedBy[0];
        if (std::memcmp(id, kCreatedBy, 16) != 0) continue;
        uint16_t vt = uint16_t(data_[value] | data_[value + 1] << 8);
        if (first == 0x65 && vt == VtBstr) {
            uint32_t length = rd32(value + 2);
            size_t chars = value + 6;
            if (chars + length > data_.size()) throw Failure("the created-by text runs past the end");
            std::string created(reinterpret_cast<const char*>(&data_[chars]), length);
            size_t at = created.rfind(" at ");
            if (at == std::string::npos || created.size() < at + 4 + 24)
                throw Failure("the created-by text has no date: " + created);
            std::memcpy(&data_[chars + at + 4], date, 24);
            text = true;
        } else if (first == 0x63 && vt == VtUi4) {
            wr32(value + 2, uint32_t(seconds));
            number = true;
        }
    }
    if (!text) throw Failure("--stamp: no created-by text in the custom data");
    if (!number) throw Failure("--stamp: no time value in the custom data");
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure("cannot open " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw Failure("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s IN.tlb OUT.tlb [--lbound RECORD.FIELD=N]... [--packed RECORD]... [--last NAME]..."
                     " [--keep-order] [--stamp SECONDS]\n",
                     argv[0]);
        return 2;
    }
    try {
        struct Bound {
            std::string record, field;
            int32_t value;
        };
        std::vector<Bound> bounds;
        std::vector<std::string> last;
        std::vector<std::string> packed;
        bool keepOrder = false;
        bool stamped = false;
        int64_t stampSeconds = 0;
        for (int a = 3; a < argc; ++a) {
            std::string opt = argv[a];
            if (opt == "--keep-order") {
                keepOrder = true;
                continue;
            }
            if (a + 1 >= argc) throw Failure("missing value after " + opt);
            std::string val = argv[++a];
            if (opt == "--last") {
                last.push_back(val);
            } else if (opt == "--packed") {
                packed.push_back(val);
            } else if (opt == "--stamp") {
                size_t used = 0;
                stampSeconds = std::stoll(val, &used);
                if (used != val.size()) throw Failure("--stamp wants seconds, got " + val);
                stamped = true;
            } else if (opt == "--lbound") {
                size_t dot = val.find('.'), eq = val.find('=');
                if (dot == std::string::npos || eq == std::string::npos || eq < dot)
                    throw Failure("--lbound wants RECORD.FIELD=N, got " + val);
                bounds.push_back({val.substr(0, dot), val.substr(dot + 1, eq - dot - 1),
                                  int32_t(std::stol(val.substr(eq + 1)))});
            } else {
                throw Failure("unknown option " + opt);
            }
        }

        TypeLib lib(readFile(argv[1]));
        for (const Bound& b : bounds) lib.setArrayLowerBound(b.record, b.field, b.value);
        for (const std::string& record : packed) lib.pack(record);
        if (!keepOrder) lib.reorder(last);
        if (stamped) lib.stamp(stampSeconds);
        writeFile(argv[2], lib.bytes());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tlbfix: %s\n", e.what());
        return 1;
    }
    return 0;
}
