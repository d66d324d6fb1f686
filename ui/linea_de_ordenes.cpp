#include "ui/linea_de_ordenes.h"

#include <cstdio>

namespace ui {

namespace {

QString nombre(Programa p) {
    return p == Programa::Tomo ? QStringLiteral("tomo") : QStringLiteral("forja");
}

QString ayuda(Programa p) {
    const QString opciones = QStringLiteral("Opciones:\n"
                                            "  -h, --help      muestra esta ayuda y termina\n"
                                            "  -v, --version   muestra la versión y termina\n");
    const QString unidades =
        QStringLiteral("Las unidades de las rutas de Windows (C:, D:...) son directorios dentro de $LUMBRE_UNIDADES "
                       "o, si no\nestá definida, de ~/.local/share/lumbre/unidades.\n");
    if (p == Programa::Tomo) {
        return QStringLiteral("Uso: tomo [opciones] [RUTA]\n"
                              "Tomo, el lector de enciclotomos de Lumbre.\n\n"
                              "Sin RUTA abre la enciclotomo actual: la que nombra el archivo ACTUAL.DAT del "
                              "registro\nC:\\LUMBRE\\TOMOS.DAT. Con RUTA abre la enciclotomo de ese directorio "
                              "solo mientras dure esta\nsesión, sin cambiar ACTUAL.DAT. RUTA se escribe como en "
                              "Windows (C:\\ENCICLO\\SOLAR) o como\nruta del sistema (/home/ana/enciclo/SOLAR, "
                              "o relativa al directorio actual).\n\n") +
               opciones + QStringLiteral("\n") + unidades;
    }
    return QStringLiteral("Uso: forja [opciones]\n"
                          "       forja --importar ORIGEN RUTA\n"
                          "Forja, el editor de enciclotomos de Lumbre: crea el directorio de datos, las "
                          "enciclotomos,\nsus artículos con sus ilustraciones y epígrafes, y sus listas.\n\n"
                          "Con --importar, sin abrir ninguna ventana, hace un artículo de cada texto de ORIGEN (un "
                          "directorio,\no un archivo): texto plano (.txt, UTF-8 o Windows-1252), Markdown (.md) o "
                          "HTML (.html), con\nsus imágenes como ilustraciones copiadas en IMG, y los agrega a "
                          "COMPLETA.DAT de la enciclotomo\nRUTA. Dice antes qué va a crear y qué no puede "
                          "conservar; nunca reemplaza un archivo. Las imágenes se\ntoman solo de dentro de la "
                          "carpeta ORIGEN (o de la carpeta del archivo), y solo si son imágenes.\n"
                          "ORIGEN también puede ser un archivo ZIM (Wikipedia, Vikidia, Wikcionario... sin "
                          "conexión): se\nelige qué artículos importar con las opciones de abajo; antes de escribir "
                          "se muestra el plan\n(artículos, imágenes, nombres, bytes). Cada artículo termina con la "
                          "fuente y la licencia\nque dice el archivo, y la descripción de la enciclotomo las "
                          "menciona. Otro archivo binario no\nse importa.\n\n") +
           opciones + QStringLiteral("  --importar      importa los textos de ORIGEN en la enciclotomo RUTA\n") +
           QStringLiteral("  --imagenes-de CARPETA  con --importar, permite además las imágenes de CARPETA\n") +
           QStringLiteral("  --revisar RUTA  revisa la enciclotomo de RUTA sin cambiar nada: escribe cada problema "
                          "que\n                  encontraría un lector en una línea y termina con estado 1 si hay "
                          "alguno\n") +
           QStringLiteral("\nCon --importar y un archivo ZIM (cada opción se puede dar varias veces):\n"
                          "  --titulo TÍTULO        importa ese artículo (se siguen las redirecciones)\n"
                          "  --lista-titulos ARCHIVO  importa los títulos de ARCHIVO, uno por línea\n"
                          "  --buscar CONSULTA      importa lo que halla la búsqueda de texto completo\n"
                          "  --tema TÍTULO          importa ese artículo y los que alcanzan sus enlaces\n"
                          "  --profundidad N        cuántos enlaces se siguen desde un tema (2 si no se dice)\n"
                          "  --maximo N             como mucho N artículos por búsqueda y por tema (100 y 500)\n"
                          "  --excluir TEXTO        deja fuera ese título, o los títulos con esa palabra\n"
                          "  --lista NOMBRE         pone todos los artículos elegidos en la lista NOMBRE\n"
                          "  --lista-busqueda NOMBRE  pone en la lista NOMBRE los artículos de la búsqueda\n"
                          "  --lista-tema NOMBRE    pone en la lista NOMBRE los artículos del tema\n"
                          "  Los enlaces de una palabra a otro artículo importado se hacen entradas del diccionario "
                          "que no\n  tapan ninguna otra. Volver a importar de un archivo más nuevo con el mismo "
                          "nombre (Name)\n  reemplaza lo importado que el autor no cambió y conserva lo que "
                          "cambió.\n"
                          "  Ejemplo: forja --importar vikidia_es.zim C:\\ENCICLO\\SOLAR --tema \"Sistema Solar\" "
                          "--maximo 500\n") +
           QStringLiteral("\nEl historial: cada cambio que hace Forja es una versión, guardada con git en el "
                          "directorio .git\nde la enciclotomo. Sin abrir ninguna ventana:\n"
                          "  forja --historial RUTA [ARTÍCULO]        las versiones, de la más nueva a la más "
                          "vieja\n"
                          "  forja --restaurar RUTA ARTÍCULO VERSIÓN  escribe el artículo como estaba en VERSIÓN "
                          "(como la\n"
                          "                                           muestra --historial), como una versión "
                          "nueva\n"
                          "  forja --sincronizar RUTA DESTINO [--unir]\n"
                          "                                           pone al día esta copia y la de DESTINO (una "
                          "carpeta,\n"
                          "                                           como una memoria USB, o la dirección de un "
                          "servidor git);\n"
                          "                                           si las dos cambiaron las mismas líneas de un "
                          "artículo,\n"
                          "                                           no cambia nada y termina con estado 1\n"
                          "  forja --copiar-sin-historial RUTA DESTINO\n"
                          "                                           copia la enciclotomo en el directorio nuevo "
                          "DESTINO sin\n"
                          "                                           su historial (ni borradores ni nombres de "
                          "autores)\n") +
           QStringLiteral("\nExportar sin abrir ninguna ventana (un sitio web, un libro electrónico...):\n"
                          "  forja --exportar FORMATO RUTA DESTINO [--reemplazar]\n"
                          "  «forja --exportar --help» muestra los formatos y los detalles.\n") +
           QStringLiteral("\n") + unidades;
}

Orden error(Programa p, const QString& que) {
    return {Orden::Tipo::Error,
            QString(),
            QStringLiteral("%1: %2\nPruebe «%1 --help» para ver cómo se usa.\n").arg(nombre(p), que),
            QString(),
            {}};
}

// Whether an argument before "--" is one of the options the toolkit takes for itself (with one dash or
// two, alone or as "-option=value").
bool hayOpcionDelToolkit(const QStringList& argumentos) {
    static const QStringList kOpciones = {
        QStringLiteral("platform"),
        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"),
        QStringLiteral("geometry"),
        QStringLiteral("qwindowtitle"),
        QStringLiteral("title"),
        QStringLiteral("qwindowicon"),
        QStringLiteral("icon"),
        QStringLiteral("reverse"),
        QStringLiteral("session"),
        QStringLiteral("display"),
        QStringLiteral("name"),
        QStringLiteral("style"),
        QStringLiteral("stylesheet"),
        QStringLiteral("widgetcount"),
        QStringLiteral("nograb"),
        QStringLiteral("dograb"),
        QStringLiteral("sync"),
        QStringLiteral("qmljsdebugger"),
        QStringLiteral("testability"),
        QStringLiteral("visual"),
        QStringLiteral("ncols"),
        QStringLiteral("cmap"),
    };
    for (const QString& a : argumentos) {
        if (a == QLatin1String("--")) {
            return false;
        }
        if (!a.startsWith(QLatin1Char('-'))) {
            continue;
        }
        QString opcion = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
        opcion.truncate(opcion.indexOf(QLatin1Char('=')) < 0 ? opcion.size() : opcion.indexOf(QLatin1Char('=')));
        if (kOpciones.contains(opcion)) {
            return true;
        }
    }
    return false;
}

} // namespace

const QStringList& opcionesDeImportar() {
    static const QStringList kOpciones = {
        QStringLiteral("imagenes-de"),    QStringLiteral("titulo"),     QStringLiteral("lista-titulos"),
        QStringLiteral("buscar"),         QStringLiteral("tema"),       QStringLiteral("profundidad"),
        QStringLiteral("maximo"),         QStringLiteral("excluir"),    QStringLiteral("lista"),
        QStringLiteral("lista-busqueda"), QStringLiteral("lista-tema"),
    };
    return kOpciones;
}

Orden leerLineaDeOrdenes(const QStringList& argumentos, Programa programa) {
    QStringList rutas;
    QString desconocida;
    std::optional<QString> revisar;
    bool opciones = true;
    bool importar = false;
    QStringList deImportar;
    QString sinValor;
    for (qsizetype i = 0; i < argumentos.size(); ++i) {
        const QString& a = argumentos[i];
        if (opciones && (a == QLatin1String("-h") || a == QLatin1String("--help"))) {
            return {Orden::Tipo::Ayuda, QString(), ayuda(programa), QString(), {}};
        }
        if (opciones && (a == QLatin1String("-v") || a == QLatin1String("--version"))) {
            return {Orden::Tipo::Version,
                    QString(),
                    QStringLiteral("%1 (Lumbre) %2\n").arg(nombre(programa), QStringLiteral(LUMBRE_VERSION)),
                    QString(),
                    {}};
        }
        if (opciones && a == QLatin1String("--")) {
            opciones = false;
        } else if (opciones && programa == Programa::Forja && a.startsWith(QLatin1String("--revisar")) &&
                   (a.size() == 9 || a.at(9) == QLatin1Char('='))) {
            revisar = a.size() > 9 ? a.mid(10) : i + 1 < argumentos.size() ? argumentos[++i] : QString();
        } else if (opciones && programa == Programa::Forja && a == QLatin1String("--importar")) {
            importar = true;
        } else if (const QString n = a.mid(2).section(QLatin1Char('='), 0, 0);
                   opciones && programa == Programa::Forja && a.startsWith(QLatin1String("--")) &&
                   opcionesDeImportar().contains(n)) {
            const bool igual = a.contains(QLatin1Char('='));
            if (!igual && i + 1 >= argumentos.size()) {
                sinValor = a;
            } else {
                deImportar << n << (igual ? a.section(QLatin1Char('='), 1) : argumentos[++i]);
            }
        } else if (opciones && a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            if (desconocida.isEmpty()) {
                desconocida = a;
            }
        } else {
            rutas << a;
        }
    }
    if (!desconocida.isEmpty()) {
        return error(programa, QStringLiteral("opción desconocida «%1».").arg(desconocida));
    }
    if (revisar) {
        if (revisar->isEmpty()) {
            return error(programa, QStringLiteral("«--revisar» necesita la RUTA de la enciclotomo que revisar."));
        }
        if (!rutas.isEmpty()) {
            return error(programa,
                         QStringLiteral("se revisa una sola enciclotomo a la vez («%1»).").arg(rutas.first()));
        }
        return {Orden::Tipo::Revisar, *revisar, QString(), QString(), {}};
    }
    if (!deImportar.isEmpty() && !importar) {
        return error(programa, QStringLiteral("«--%1» solo vale con --importar.").arg(deImportar.first()));
    }
    if (!sinValor.isEmpty()) {
        return error(programa, QStringLiteral("«%1» necesita un valor.").arg(sinValor));
    }
    if (importar) {
        if (rutas.size() != 2 || rutas.first().isEmpty() || rutas.last().isEmpty()) {
            return error(programa, QStringLiteral("--importar lleva dos rutas: el ORIGEN de los textos y la RUTA de la "
                                                  "enciclotomo."));
        }
        return {Orden::Tipo::Importar, rutas.last(), QString(), rutas.first(), deImportar};
    }
    if (programa == Programa::Forja && !rutas.isEmpty()) {
        return error(programa, QStringLiteral("no admite rutas ni otros argumentos («%1»).").arg(rutas.first()));
    }
    if (rutas.size() > 1) {
        return error(programa,
                     QStringLiteral("se abre una sola enciclotomo a la vez; se dieron %1 rutas.").arg(rutas.size()));
    }
    if (!rutas.isEmpty() && rutas.first().isEmpty()) {
        return error(programa, QStringLiteral("la RUTA está vacía."));
    }
    return {Orden::Tipo::Abrir, rutas.value(0), QString(), QString(), {}};
}

std::optional<int> atenderSinVentanas(int argc, char* argv[], Programa programa) {
    QStringList argumentos;
    for (int i = 1; i < argc; ++i) {
        argumentos << QString::fromLocal8Bit(argv[i]);
    }
    const Orden orden = leerLineaDeOrdenes(argumentos, programa);
    if (orden.tipo == Orden::Tipo::Ayuda || orden.tipo == Orden::Tipo::Version) {
        std::fputs(orden.mensaje.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (orden.tipo == Orden::Tipo::Error && !hayOpcionDelToolkit(argumentos)) {
        std::fputs(orden.mensaje.toLocal8Bit().constData(), stderr);
        return 2;
    }
    return std::nullopt;
}

} // namespace ui
