#include "render_qt/documento_de_texto.h"

#include <QRegularExpression>

namespace render_qt {

QString paraDocumentoDeTexto(std::string_view xhtml) {
    QString pagina = QString::fromUtf8(xhtml.data(), static_cast<qsizetype>(xhtml.size()));
    if (pagina.startsWith(QLatin1String("<?xml"))) {
        const qsizetype fin = pagina.indexOf(QLatin1String("?>"));
        pagina.remove(0, fin < 0 ? pagina.size() : fin + 2);
    }
    static const QRegularExpression bloques(QStringLiteral("<(/?)(article|header|nav|figure|figcaption|section)\\b"));
    pagina.replace(bloques, QStringLiteral("<\\1div"));

    // Only inside <style>: an article may well speak of "background:".
    static const QRegularExpression fondo(QStringLiteral("\\bbackground:"));
    qsizetype desde = 0;
    while ((desde = pagina.indexOf(QLatin1String("<style"), desde)) >= 0) {
        qsizetype hasta = pagina.indexOf(QLatin1String("</style>"), desde);
        if (hasta < 0) {
            hasta = pagina.size();
        }
        QString hoja = pagina.mid(desde, hasta - desde);
        hoja.replace(fondo, QStringLiteral("background-color:"));
        pagina.replace(desde, hasta - desde, hoja);
        desde += hoja.size();
    }
    return pagina;
}

} // namespace render_qt
