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
    QList<QChar> keys;
    for (const char *title : kMenuTitles)
        keys << accessKeyOf(QString::fromLatin1(title));
    for (const QString &name : names)
        keys << accessKeyOf(name);
    QStringList captions;
    for (const QString &name : names) {
        const QChar key = accessKeyOf(name);
        // A shared key loses its "&": the button reads the same and logs the same name.
        captions << (key.isNull() || keys.count(key) == 1 ? name : QString(name).remove(accessKeyMark(name), 1));
    }
    return captions;
}
