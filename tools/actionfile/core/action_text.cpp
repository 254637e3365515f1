// The action file's text form: reading a description into the bytes of a file and
// describing the bytes of one.
#include "action_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>

namespace actionfile {

namespace {

enum class Type { Text, Number32, Number8 };

struct Field {
    const char *name;
    size_t offset;
    size_t width;
    Type type;
    bool nulEnded;    // the launch routines read it up to a NUL
    bool shownAlways; // read by the controller; other fields are shown when not zero
};

#define TEXT(record, name, ended)                                                    \
    {                                                                                \
#name, offsetof(record, name), sizeof(record::name), Type::Text, ended, true \
    }
#define UNUSED(record, name)                                                          \
    {                                                                                 \
#name, offsetof(record, name), sizeof(record::name), Type::Text, false, false \
    }
#define NUMBER(record, name)                                                        \
    {                                                                               \
#name, offsetof(record, name), sizeof(record::name),                        \
            sizeof(record::name) == 4 ? Type::Number32 : Type::Number8, false, true \
    }

const Field kHeaderFields[] = {
    TEXT(ActionHeader, sharedPart, false),
    TEXT(ActionHeader, appDir, false),
    UNUSED(ActionHeader, unused780),
    NUMBER(ActionHeader, processId),
};

const Field kEntryFields[] = {
    NUMBER(ActionEntry, window),
    UNUSED(ActionEntry, unused4),
    NUMBER(ActionEntry, reportedProcessId),
    TEXT(ActionEntry, noticeTag, false),
    UNUSED(ActionEntry, unused24),
    TEXT(ActionEntry, program, true),
    UNUSED(ActionEntry, unused296),
    TEXT(ActionEntry, commandLine, true),
    TEXT(ActionEntry, title, false),
    UNUSED(ActionEntry, unused1634),
    NUMBER(ActionEntry, kind),
    NUMBER(ActionEntry, runFlag),
};

const Field kTrailerField = {"bytes", 0, 0, Type::Text, false, true};

#undef TEXT
#undef UNUSED
#undef NUMBER

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// text up to its note: a # that follows a blank begins one and runs to the end of the
// line. A # anywhere else is text.
std::string_view without_note(std::string_view text)
{
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i] == '#' && (text[i - 1] == ' ' || text[i - 1] == '\t'))
            return text.substr(0, i);
    return text;
}

// ---- text values ---------------------------------------------------------

struct TextValue {
    std::string bytes;
    bool unended = false;
    bool zeroFilled = false;
};

int hex_digit(char character)
{
    if (character >= '0' && character <= '9')
        return character - '0';
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    return -1;
}

bool parse_quoted(std::string_view value, TextValue &out, std::string &error)
{
    size_t i = 1;
    for (;;) {
        if (i >= value.size()) {
            error = "the quoted text has no closing quote";
            return false;
        }
        char character = value[i++];
        if (character == '"')
            break;
        if (character != '\\') {
            out.bytes += character;
            continue;
        }
        if (i >= value.size()) {
            error = "the quoted text ends inside an escape";
            return false;
        }
        char escape = value[i++];
        switch (escape) {
        case '\\': out.bytes += '\\'; break;
        case '"': out.bytes += '"'; break;
        case '0': out.bytes += '\0'; break;
        case 't': out.bytes += '\t'; break;
        case 'r': out.bytes += '\r'; break;
        case 'n': out.bytes += '\n'; break;
        case 'x': {
            int high = i < value.size() ? hex_digit(value[i]) : -1;
            int low = i + 1 < value.size() ? hex_digit(value[i + 1]) : -1;
            if (high < 0 || low < 0) {
                error = "\\x needs two hexadecimal digits";
                return false;
            }
            out.bytes += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: error = std::string("unknown escape \\") + escape; return false;
        }
    }
    // After the closing quote: its words, then perhaps a note.
    std::string_view rest = trim(without_note(value.substr(i)));
    while (!rest.empty()) {
        size_t end = rest.find_first_of(" \t");
        std::string_view word = rest.substr(0, end);
        if (word == "unended")
            out.unended = true;
        else if (word == "zero-filled")
            out.zeroFilled = true;
        else {
            error = "unknown word after the text: " + std::string(word);
            return false;
        }
        rest = end == std::string_view::npos ? std::string_view() : trim(rest.substr(end));
    }
    return true;
}

// The bytes of a text field: the text, the NUL of a NUL-ended field when it fits and
// is not left out, then the fill.
bool write_text(const Field &field, std::string_view value, uint8_t *at, std::string &error)
{
    TextValue text;
    if (!value.empty() && value.front() == '"') {
        if (!parse_quoted(value, text, error))
            return false;
    } else {
        text.bytes = value;
    }
    if (text.unended && !field.nulEnded) {
        error = std::string(field.name) + " has no NUL to leave out";
        return false;
    }
    if (text.bytes.size() > field.width) {
        error = std::string(field.name) + " holds at most " + std::to_string(field.width) +
                " bytes, not " + std::to_string(text.bytes.size());
        return false;
    }
    std::memset(at, text.zeroFilled ? 0 : ' ', field.width);
    std::memcpy(at, text.bytes.data(), text.bytes.size());
    if (field.nulEnded && !text.unended && text.bytes.size() < field.width)
        at[text.bytes.size()] = 0;
    return true;
}

void append_escaped(std::string &out, std::string_view bytes)
{
    out += '"';
    for (unsigned char c : bytes) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\0': out += "\\0"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            }
        }
    }
    out += '"';
}

// The shortest text that write_text turns back into exactly these bytes.
void describe_text(std::string &out, const Field &field, const uint8_t *at)
{
    std::string_view bytes(reinterpret_cast<const char *>(at), field.width);
    const bool zeroFilled = !bytes.empty() && bytes.back() == '\0';
    const char fill = zeroFilled ? '\0' : ' ';
    while (!bytes.empty() && bytes.back() == fill)
        bytes.remove_suffix(1);
    bool unended = false;
    if (field.nulEnded && !zeroFilled) {
        if (!bytes.empty() && bytes.back() == '\0')
            bytes.remove_suffix(1);
        else
            unended = true;
    }
    append_escaped(out, bytes);
    if (unended)
        out += " unended";
    if (zeroFilled)
        out += " zero-filled";
}

// ---- numbers ---------------------------------------------------------------

bool write_number(const Field &field, std::string_view value, uint8_t *at, std::string &error)
{
    const bool hex = value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X');
    std::string_view digits = hex ? value.substr(2) : value;
    const uint64_t limit = field.type == Type::Number8 ? 0xFF : 0xFFFFFFFF;
    uint64_t number = 0;
    bool ok = !digits.empty();
    for (char c : digits) {
        int digit = hex ? hex_digit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0 ||
            (number = number * (hex ? 16 : 10) + static_cast<uint64_t>(digit)) > limit) {
            ok = false;
            break;
        }
    }
    if (!ok) {
        error = std::string(field.name) + " takes a number from 0 to " + std::to_string(limit) +
                ", not " + std::string(value);
        return false;
    }
    if (field.type == Type::Number8) {
        *at = static_cast<uint8_t>(number);
    } else {
        const uint32_t native = static_cast<uint32_t>(number);
        std::memcpy(at, &native, 4);
    }
    return true;
}

void describe_number(std::string &out, const Field &field, const uint8_t *at)
{
    uint32_t number = *at;
    if (field.type == Type::Number32)
        std::memcpy(&number, at, 4);
    char text[16];
    // Window handles read best in hexadecimal, counts and kinds in decimal.
    if (std::strcmp(field.name, "window") == 0)
        std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(number));
    else
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(number));
    out += text;
}

void describe_record(std::string &out, std::span<const Field> fields, const uint8_t *record)
{
    for (const Field &field : fields) {
        const uint8_t *at = record + field.offset;
        if (!field.shownAlways &&
            std::all_of(at, at + field.width, [](uint8_t b) { return b == 0; }))
            continue;
        out += field.name;
        out += " = ";
        if (field.type == Type::Text)
            describe_text(out, field, at);
        else
            describe_number(out, field, at);
        out += '\n';
    }
}

const Field *find_field(std::span<const Field> fields, std::string_view name)
{
    for (const Field &field : fields)
        if (name == field.name)
            return &field;
    return nullptr;
}

// ---- reading a description -------------------------------------------------

enum class Section { None, Header, Entry, Trailer };

// What the reading of a description has seen so far.
struct Reading {
    ActionFile &file;
    Section section = Section::None;
    bool headerSeen = false;
    bool trailerSeen = false;
};

// The readers below take one line each; on a fault they put it in why and return false.
bool fault(std::string &why, std::string text)
{
    why = std::move(text);
    return false;
}

bool open_header(Reading &reading, std::string &why)
{
    if (reading.headerSeen || !reading.file.entries.empty())
        return fault(why, "one header, before the first entry");
    reading.headerSeen = true;
    reading.section = Section::Header;
    return true;
}

bool open_entry(Reading &reading, std::string &why)
{
    if (reading.trailerSeen)
        return fault(why, "nothing may follow the trailer");
    // The controller stops a run when it reaches the entry after the last it can hold.
    if (reading.file.entries.size() == kMaxActions)
        return fault(why, "entry " + std::to_string(kMaxActions + 1) + ": a table holds at most " +
                              std::to_string(kMaxActions) + " entries");
    reading.file.entries.push_back(default_entry());
    reading.section = Section::Entry;
    return true;
}

bool open_trailer(Reading &reading, std::string &why)
{
    if (reading.trailerSeen)
        return fault(why, "one trailer at most");
    reading.trailerSeen = true;
    reading.section = Section::Trailer;
    return true;
}

// The trailer's one field: bytes, a quoted text given in full.
bool read_trailer_field(Reading &reading, std::string_view name, std::string_view value,
                        std::string &why)
{
    if (name != "bytes")
        return fault(why, "the trailer has one field, bytes");
    if (value.empty() || value.front() != '"')
        return fault(why, "bytes takes a quoted text");
    TextValue bytes;
    if (!parse_quoted(value, bytes, why))
        return false;
    if (bytes.unended || bytes.zeroFilled)
        return fault(why, "the trailer's bytes are given in full");
    // As many bytes as an entry would be read back as one.
    if (bytes.bytes.size() >= sizeof(ActionEntry))
        return fault(why, "the trailer holds fewer than " + std::to_string(sizeof(ActionEntry)) +
                              " bytes, not " + std::to_string(bytes.bytes.size()));
    reading.file.trailer = bytes.bytes;
    return true;
}

// A field of the header or of the last entry.
bool read_record_field(Reading &reading, std::string_view name, std::string_view value,
                       std::string &why)
{
    const bool header = reading.section == Section::Header;
    std::span<const Field> fields =
        header ? std::span<const Field>(kHeaderFields) : std::span<const Field>(kEntryFields);
    const Field *field = find_field(fields, name);
    if (field == nullptr)
        return fault(why, "no field named " + std::string(name) + " here");
    uint8_t *record = header ? reinterpret_cast<uint8_t *>(&reading.file.header)
                             : reinterpret_cast<uint8_t *>(&reading.file.entries.back());
    return field->type == Type::Text ? write_text(*field, value, record + field->offset, why)
                                     : write_number(*field, value, record + field->offset, why);
}

// The text after a field's =: a quoted text whole (its words and note are read with it),
// a bare one without its note.
std::string_view value_text(std::string_view afterEquals)
{
    std::string_view value = trim(afterEquals);
    if (!value.empty() && value.front() == '"')
        return value;
    return trim(without_note(afterEquals));
}

// One line that is neither empty nor a comment: a section's heading or name = value.
bool read_line(Reading &reading, std::string_view line, std::string &why)
{
    if (reading.trailerSeen && reading.section != Section::Trailer)
        return fault(why, "nothing may follow the trailer");
    const std::string_view heading = trim(without_note(line));
    if (heading == "[header]")
        return open_header(reading, why);
    if (heading == "[entry]")
        return open_entry(reading, why);
    if (heading == "[trailer]")
        return open_trailer(reading, why);
    size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return fault(why, "expected [header], [entry], [trailer] or name = value");
    std::string_view name = trim(line.substr(0, equals));
    std::string_view value = value_text(line.substr(equals + 1));
    if (reading.section == Section::None)
        return fault(why, "a field before the first section");
    if (reading.section == Section::Trailer)
        return read_trailer_field(reading, name, value, why);
    return read_record_field(reading, name, value, why);
}

} // namespace

ActionHeader default_header()
{
    ActionHeader header{};
    std::memset(header.sharedPart, ' ', sizeof header.sharedPart);
    // appDir stays zero: a first byte of NUL means no application directory.
    return header;
}

ActionEntry default_entry()
{
    ActionEntry entry{};
    std::memcpy(entry.noticeTag, "0           ", sizeof entry.noticeTag);
    std::memset(entry.program, ' ', sizeof entry.program);
    entry.program[0] = '\0';
    std::memset(entry.commandLine, ' ', sizeof entry.commandLine);
    entry.commandLine[0] = '\0';
    std::memset(entry.title, ' ', sizeof entry.title);
    entry.runFlag = 1;
    return entry;
}

bool parse(std::string_view text, ActionFile &file, std::string &error)
{
    file = ActionFile{default_header(), {}, {}};
    Reading reading{file};
    for (size_t lineNumber = 1; !text.empty(); ++lineNumber) {
        size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        std::string why;
        if (!read_line(reading, line, why)) {
            error = "line " + std::to_string(lineNumber) + ": " + why;
            return false;
        }
    }
    return true;
}

std::string describe(const ActionFile &file)
{
    std::string out = "# action file: " + std::to_string(file.entries.size()) + " entr" +
                      (file.entries.size() == 1 ? "y" : "ies") + "\n[header]\n";
    describe_record(out, kHeaderFields, reinterpret_cast<const uint8_t *>(&file.header));
    for (size_t i = 0; i < file.entries.size(); ++i) {
        // A file of more entries than a table holds, as another host may write one.
        if (i == kMaxActions)
            out += "\n# entries past " + std::to_string(kMaxActions) +
                   " are never run: the controller stops at entry " + std::to_string(i + 1) +
                   ", and write takes at most " + std::to_string(kMaxActions) + "\n";
        out += "\n[entry]\n# entry " + std::to_string(i + 1) + "\n";
        describe_record(out, kEntryFields, reinterpret_cast<const uint8_t *>(&file.entries[i]));
    }
    if (!file.trailer.empty()) {
        out +=
            "\n[trailer]\n# bytes after the last whole entry; the controller does not read them\n";
        out += std::string(kTrailerField.name) + " = ";
        append_escaped(out, file.trailer);
        out += '\n';
    }
    return out;
}

std::string to_bytes(const ActionFile &file)
{
    std::string bytes(reinterpret_cast<const char *>(&file.header), sizeof file.header);
    bytes.append(reinterpret_cast<const char *>(file.entries.data()),
                 file.entries.size() * sizeof(ActionEntry));
    bytes += file.trailer;
    return bytes;
}

bool from_bytes(std::string_view bytes, ActionFile &file, std::string &error)
{
    if (bytes.size() < sizeof(ActionHeader)) {
        error = "not an action file: " + std::to_string(bytes.size()) +
                " bytes, a header alone has " + std::to_string(sizeof(ActionHeader));
        return false;
    }
    file = ActionFile{};
    std::memcpy(&file.header, bytes.data(), sizeof file.header);
    bytes.remove_prefix(sizeof file.header);
    while (bytes.size() >= sizeof(ActionEntry)) {
        file.entries.emplace_back();
        std::memcpy(&file.entries.back(), bytes.data(), sizeof(ActionEntry));
        bytes.remove_prefix(sizeof(ActionEntry));
    }
    file.trailer = bytes;
    return true;
}

} // namespace actionfile
