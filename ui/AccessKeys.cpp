#include "ui/AccessKeys.h"

namespace {

// Where the single "&" that marks a caption's access key stands, or -1.
qsizetype accessKeyMark(const QString &caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return i;
        ++i;  // "&&" shows an ampersand
    }
    return -1;
}

}  // namespace

QChar accessKeyOf(const QString &caption) {
    const qsizetype mark = accessKeyMark(caption);
    return mark < 0 ? QChar() : caption[mark + 1].toUpper();
}

QStringList eventButtonCaptions(const QStringList &names) {
    QList<QChar> taken;
    for (const TakenAccessKey &key : kWindowAccessKeys)
        taken << accessKeyOf(QString::fromLatin1(key.caption));
    QStringList captions;
    for (const QString &name : names) {
        // The first single "&" marks the key, as in the toolkit's own captions; a later one would
        // show as another key that the button does not have, so it goes.
        const QChar key = accessKeyOf(name);
        const bool keeps = !key.isNull() && !taken.contains(key);  // left to right, the first one keeps it
        if (keeps)
            taken << key;
        QString caption;
        bool first = true;
        for (qsizetype i = 0; i < name.size(); ++i) {
            if (name[i] == u'&' && i + 1 < name.size() && name[i + 1] == u'&') {
                caption += QStringLiteral("&&");
                ++i;
            } else if (name[i] == u'&' && i + 1 < name.size()) {
                if (first && keeps)
                    caption += u'&';
                first = false;
            } else {
                caption += name[i];
            }
        }
        captions << caption;
    }
    return captions;
}
