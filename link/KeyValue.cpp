#include "link/KeyValue.h"

namespace qemra {

namespace {
// A packed request text must stay under this many characters.
constexpr int kPackedTextLimit = 128;
}  // namespace

int PackPairs(const TKeyValue* list, QByteArray& text, int n)
{
    int packed = 0;
    for (int i = 0; i < n; ++i) {
        const TKeyValue& pair = list[packed];
        const QByteArray key = pair.Key.toLatin1();
        const QByteArray value = pair.Value.toLatin1();
        // Once a pair does not fit, no later pair is tried: the request keeps its leading run.
        if (text.size() + key.size() + value.size() + 2 >= kPackedTextLimit)
            break;
        text += key;
        text += '=';
        text += value;
        text += ',';
        ++packed;
    }
    return packed;
}

int SplitPairs(const QByteArray& text, TKeyValue* list, int capacity)
{
    int count = 0;
    QString key;
    QString value;
    bool inValue = false;
    for (const char c : text) {
        if (c == ',') {
            if (count < capacity) {
                list[count].Key = key;
                list[count].Value = value;
                ++count;
            }
            key.clear();
            value.clear();
            inValue = false;
        } else if (c == '=') {
            inValue = true;
        } else {
            // One byte is one character, 0x80-0xFF included.
            const QChar ch(static_cast<unsigned char>(c));
            (inValue ? value : key) += ch;
        }
    }
    return count;
}

}  // namespace qemra
