// Renders the program's own SVG artwork to the PNG files the pages and the
// parameter store name ("logo.png"), at build time:
//     dravo_artwork IN.svg OUT.png [WIDTH]
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QTextStream>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() < 3) {
        err << "usage: dravo_artwork IN.svg OUT.png [WIDTH]\n";
        return 2;
    }
    QImageReader reader(args.at(1));
    if (args.size() > 3) {
        const QSize natural = reader.size();
        const int width = args.at(3).toInt();
        if (natural.isValid() && width > 0)
            reader.setScaledSize(QSize(width, natural.height() * width / natural.width()));
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        err << "dravo_artwork: cannot read " << args.at(1) << ": " << reader.errorString() << "\n";
        return 1;
    }
    if (!image.save(args.at(2), "PNG")) {
        err << "dravo_artwork: cannot write " << args.at(2) << "\n";
        return 1;
    }
    return 0;
}
