#include "references/CodePage.h"

#include "references/CodePageTables.h"

#include <QSysInfo>

#include <cerrno>
#include <iconv.h>

namespace vemtaro::references {

namespace {

const char16_t* singleByteTable(int codePage)
{
    for (const auto& page : singleByteCodePages)
        if (page.codePage == codePage)
            return page.upperHalf;
    return nullptr;
}

// The Mac double-byte code pages read as the Windows ones they extend: they differ only
// in a few signs at the edges of the single-byte range.
const char* doubleByteName(int codePage)
{
    switch (codePage) {
    case 932:
    case 10001:
        return "CP932";
    case 936:
    case 10008:
        return "CP936";
    case 949:
    case 10003:
        return "CP949";
    case 950:
    case 10002:
        return "CP950";
    case 1361:
        return "JOHAB";
    default:
        return nullptr;
    }
}

bool isKeptControl(char16_t c)
{
    return c >= 0x20 || c == u'\t';
}

// Removes the control characters that an RTF file can smuggle in as bytes, from `from` on.
void dropControls(QString& text, qsizetype from)
{
    char16_t* data = reinterpret_cast<char16_t*>(text.data());
    qsizetype kept = from;
    for (qsizetype i = from; i < text.size(); ++i)
        if (isKeptControl(data[i]))
            data[kept++] = data[i];
    text.truncate(kept);
}

} // namespace

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0: // ANSI
        return 1252;
    case 2:
        return symbolCodePage;
    case 77: // the Mac charsets
        return 10000;
    case 78:
        return 10001;
    case 79:
        return 10003;
    case 80:
        return 10008;
    case 81:
        return 10002;
    case 83:
        return 10005;
    case 84:
        return 10004;
    case 85:
        return 10006;
    case 86:
        return 10081;
    case 87:
        return 10021;
    case 88:
        return 10029;
    case 89:
        return 10007;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

int codePageForFontName(const QString& family)
{
    if (family.compare(u"Symbol", Qt::CaseInsensitive) == 0)
        return symbolCodePage;
    if (family.compare(u"Wingdings", Qt::CaseInsensitive) == 0)
        return wingdingsCodePage;
    return 0;
}

char32_t symbolCharacter(int codePage, unsigned char byte)
{
    if (byte < 0x20)
        return QChar::ReplacementCharacter;
    return codePage == wingdingsCodePage ? wingdingsCharacters[byte - 0x20]
                                         : symbolFontCharacters[byte - 0x20];
}

// One iconv conversion from a double-byte code page to UTF-16 in host order.
class CodePageDecoder::Iconv {
public:
    explicit Iconv(int codePage) : codePage_(codePage)
    {
        const char* target =
            QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";
        handle_ = iconv_open(target, doubleByteName(codePage));
    }
    ~Iconv()
    {
        if (isOpen())
            iconv_close(handle_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool isOpen() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    int codePage() const { return codePage_; }

    // Converts `bytes` into `out`; returns how many bytes at the end form an incomplete
    // character and were left unconverted.
    qsizetype convert(QByteArrayView bytes, QString& out)
    {
        char* in = const_cast<char*>(bytes.data());
        size_t inLeft = size_t(bytes.size());
        while (inLeft > 0) {
            const qsizetype start = out.size();
            const qsizetype room = qsizetype(inLeft) + 8;
            out.resize(start + room);
            char* dst = reinterpret_cast<char*>(out.data() + start);
            size_t outLeft = size_t(room) * sizeof(char16_t);
            const size_t result = iconv(handle_, &in, &inLeft, &dst, &outLeft);
            const int error = result == size_t(-1) ? errno : 0;
            out.truncate(start + room - qsizetype(outLeft / sizeof(char16_t)));
            if (error == EILSEQ) {
                out.append(QChar::ReplacementCharacter);
                ++in;
                --inLeft;
            } else if (error == EINVAL) {
                iconv(handle_, nullptr, nullptr, nullptr, nullptr);
                return qsizetype(inLeft);
            }
            // E2BIG: go round again with fresh room.
        }
        return 0;
    }

private:
    int codePage_;
    iconv_t handle_;
};

CodePageDecoder::CodePageDecoder() : table_(singleByteTable(1252)) {}

CodePageDecoder::~CodePageDecoder() = default;

void CodePageDecoder::setCodePage(int codePage, QString& out)
{
    if (codePage == codePage_)
        return;
    flush(out);
    codePage_ = codePage;
    table_ = singleByteTable(codePage);
    if (isSymbolCodePage(codePage) || table_)
        return;
    if (doubleByteName(codePage)) {
        if (!iconv_ || iconv_->codePage() != codePage)
            iconv_ = std::make_unique<Iconv>(codePage);
        if (!iconv_->isOpen())
            table_ = singleByteTable(1252);
    } else {
        table_ = singleByteTable(1252);
    }
}

void CodePageDecoder::decode(QByteArrayView bytes, QString& out)
{
    if (isSymbolCodePage(codePage_)) {
        decodeSymbols(bytes, out);
        return;
    }
    if (!table_) {
        decodeDoubleByte(bytes, out);
        return;
    }
    const qsizetype start = out.size();
    out.resize(start + bytes.size());
    char16_t* dst = reinterpret_cast<char16_t*>(out.data()) + start;
    qsizetype written = 0;
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        const char16_t c = b < 0x80 ? char16_t(b) : table_[b - 0x80];
        dst[written] = c;
        written += isKeptControl(c);
    }
    out.truncate(start + written);
}

void CodePageDecoder::decodeSymbols(QByteArrayView bytes, QString& out) const
{
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b >= 0x20)
            out.append(QChar::fromUcs4(symbolCharacter(codePage_, b)));
        else if (b == '\t')
            out.append(u'\t');
    }
}

void CodePageDecoder::decodeDoubleByte(QByteArrayView bytes, QString& out)
{
    const qsizetype start = out.size();
    qsizetype left;
    if (carry_.isEmpty()) {
        left = iconv_->convert(bytes, out);
        carry_ = bytes.last(left).toByteArray();
    } else {
        carry_.append(bytes);
        left = iconv_->convert(carry_, out);
        carry_ = carry_.last(left);
    }
    dropControls(out, start);
}

void CodePageDecoder::flush(QString& out)
{
    if (carry_.isEmpty())
        return;
    out.append(QChar::ReplacementCharacter);
    carry_.clear();
}

} // namespace vemtaro::references
