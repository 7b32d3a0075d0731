#include "tests/support/PdfTools.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

QByteArray Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

}  // namespace

QString PdfText(const QString& path, bool layout)
{
    QStringList arguments = {QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (layout)
        arguments << QStringLiteral("-layout");
    arguments << path << QStringLiteral("-");
    return QString::fromUtf8(Run(QStringLiteral("pdftotext"), arguments));
}

PdfPage PdfWords(const QString& path, int pageNumber)
{
    const QString number = QString::number(pageNumber);
    const QString html =
        QString::fromUtf8(Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-f"), number,
                                                            QStringLiteral("-l"), number, path, QStringLiteral("-")}));
    PdfPage page;
    static const QRegularExpression pageTag(QString::fromLatin1(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    if (const auto match = pageTag.match(html); match.hasMatch())
        page.Size = QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble());
    static const QRegularExpression wordTag(QString::fromLatin1(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = wordTag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        QString text = m.captured(5);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        page.Words.push_back({text, QRectF(topLeft, bottomRight)});
    }
    return page;
}

QString PdfLineFrom(const PdfPage& page, const QString& first, double width)
{
    const auto start =
        std::find_if(page.Words.begin(), page.Words.end(), [&](const PdfWord& word) { return word.Text == first; });
    if (start == page.Words.end())
        return {};
    std::vector<PdfWord> line;
    std::copy_if(page.Words.begin(), page.Words.end(), std::back_inserter(line), [&](const PdfWord& word) {
        return std::abs(word.Box.center().y() - start->Box.center().y()) < 2 && word.Box.left() >= start->Box.left() &&
               word.Box.right() <= start->Box.left() + width;
    });
    std::sort(line.begin(), line.end(), [](const PdfWord& a, const PdfWord& b) { return a.Box.left() < b.Box.left(); });
    QStringList texts;
    for (const PdfWord& word : line)
        texts << word.Text;
    return texts.join(u' ');
}

QImage PdfImage(const QString& path, int dpi)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    Run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"),
         QStringLiteral("-singlefile"), path, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}
