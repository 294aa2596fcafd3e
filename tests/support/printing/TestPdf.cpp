#include "tests/support/printing/TestPdf.h"

#include <QFile>
#include <QList>

QByteArray TestPdf::make(const QSizeF &sizeMm, Kind kind)
{
    if (kind == NotPdf)
        return QByteArrayLiteral("<html><body>not a PDF</body></html>\n");
    const double w = sizeMm.width() * 72.0 / 25.4;
    const double h = sizeMm.height() * 72.0 / 25.4;
    const QByteArray content = QByteArrayLiteral("0.1 0.3 0.8 rg ") + QByteArray::number(w * 0.3, 'f', 3) + ' '
                               + QByteArray::number(h * 0.3, 'f', 3) + ' ' + QByteArray::number(w * 0.4, 'f', 3) + ' '
                               + QByteArray::number(h * 0.4, 'f', 3) + QByteArrayLiteral(" re f");
    QList<QByteArray> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        kind == PageLess ? QByteArray("<< /Type /Pages /Kids [] /Count 0 >>")
                         : QByteArray("<< /Type /Pages /Kids [3 0 R] /Count 1 >>"),
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(w, 'f', 3) + ' '
            + QByteArray::number(h, 'f', 3) + "] /Contents 4 0 R >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream",
    };
    if (kind == Encrypted)
        objects << "<< /Filter /Standard /V 2 /R 3 /Length 128 /P -3904 /O <" + QByteArray(64, 'a') + "> /U <"
                       + QByteArray(64, 'b') + "> >>";
    QByteArray out = "%PDF-1.4\n";
    QList<int> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << int(out.size());
        out += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const int xref = int(out.size());
    out += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (int offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R";
    if (kind == Encrypted)
        out += " /Encrypt 5 0 R /ID [<0123456789abcdef0123456789abcdef> <0123456789abcdef0123456789abcdef>]";
    out += " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return kind == Truncated ? out.left(out.size() / 3) : out;
}

bool TestPdf::write(const QString &path, const QSizeF &sizeMm, Kind kind)
{
    QFile file(path);
    const QByteArray bytes = make(sizeMm, kind);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
