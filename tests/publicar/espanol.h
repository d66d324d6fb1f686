#pragma once

// A small encyclopaedia of real Spanish text for the export tests: accents, ñ, ü, ¿ ¡ « » and the euro sign in
// titles, bodies, captions, list names, picture names and the dictionary; a BMP illustration and an ICO icon that
// need converting; a dictionary entry that refers to an article; one named list.

#include "store/codificacion.h"
#include "tests/support/unidades.h"

#include <QBuffer>
#include <QImage>
#include <QString>

#include <string>

namespace prueba {

inline const std::string kEspana = "C:\\ENC\\ESPA\xD1"
                                   "A";

// Windows-1252 bytes of UTF-8 text, each line ended by CR LF.
inline QByteArray cp1252(std::initializer_list<const char*> lineas) {
    QByteArray b;
    for (const char* l : lineas) {
        b += QByteArray::fromStdString(store::utf8ACp1252(l).value());
        b += "\r\n";
    }
    return b;
}

inline QByteArray imagen(const char* formato, int ancho, int alto, QColor color) {
    QImage i(ancho, alto, QImage::Format_ARGB32);
    i.fill(color);
    QByteArray b;
    QBuffer buf(&b);
    buf.open(QIODevice::WriteOnly);
    i.save(&buf, formato);
    return b;
}

// Writes the encyclopaedia into the drive root of `u`; false when a file could not be written.
inline bool escribirEspana(const Unidades& u) {
    const auto en = [](const char* nombre) { return kEspana + "\\" + store::utf8ACp1252(nombre).value(); };
    bool bien = true;
    const auto poner = [&](const char* nombre, const QByteArray& bytes) {
        bien = u.escribir(en(nombre), bytes) && bien;
    };
    poner("DESCRIP.DAT",
          cp1252({"Geografía de España", "Ríos, montañas y ciudades: una pequeña enciclopedia en español."}));
    poner("COLOR.DAT",
          cp1252({"8427423", "16777215", "12636368", "0", "14673120", "0", "16777215", "0", "0", "14673120"}));
    poner("ICONO.ICO", imagen("ICO", 32, 32, Qt::darkRed));
    poner("COMPLETA.DAT", cp1252({"ESPAÑA.TXT", "MONTAÑAS.TXT", "CIUDADES.TXT", "PINGÜINO.TXT"}));
    poner("LISTAS.DAT", cp1252({"Montes y ríos"}));
    poner("Montes y ríos.dat", cp1252({"MONTAÑAS.TXT", "ESPAÑA.TXT"}));
    poner("DICT.DAT", cp1252({"AÑO  Tiempo que tarda la Tierra en dar una vuelta alrededor del Sol.",
                              "CORDILLERA  Serie de montañas enlazadas entre sí.", "MESETA  /ESPAÑA.TXT",
                              "PIRINEO  /MONTAÑAS.TXT", "ÑANDÚ  Ave corredora de América del Sur."}));
    poner("ESPAÑA.TXT",
          cp1252({"<TIT>España", "<IMG>MAPA.BMP",
                  "España ocupa la mayor parte de la península ibérica, en el suroeste de "
                  "Europa. Su territorio incluye además los archipiélagos de las Baleares, en el Mediterráneo, y de "
                  "las Canarias, en el océano Atlántico, frente a la costa de África.",
                  "/", "/",
                  "El centro del país es una gran meseta, rodeada y atravesada por sistemas montañosos. Los ríos más "
                  "largos, como el Tajo, el Duero y el Guadiana, nacen en el interior y desembocan en el Atlántico; el "
                  "Ebro, en cambio, vierte sus aguas en el Mediterráneo.",
                  "/", "/", "¿Sabías que el español es la segunda lengua materna más hablada del mundo?"}));
    poner(
        "MONTAÑAS.TXT",
        cp1252({"<TIT>Las montañas", "<IMG>PICOS.PNG", "<CST>CIELO.PNG",
                "Los Pirineos separan la península del resto de Europa. Su pico más alto, el Aneto, alcanza los "
                "3.404 metros.",
                "/", "/", "En Sierra Nevada, cerca de Granada, está el Mulhacén, la cumbre más alta de la península: ",
                "3.479 metros sobre el nivel del mar.", "/",
                "El pico más alto de España, sin embargo, es el Teide, un volcán de la isla de Tenerife."}));
    poner("CIUDADES.TXT",
          cp1252({"<TIT>Ciudades «con historia»",
                  "Madrid, la capital, está en el centro de la meseta. "
                  "Barcelona, Valencia, Sevilla y Zaragoza son, por número de habitantes, las "
                  "siguientes.",
                  "/", "/", "¡Hasta Córdoba, Toledo o Cáceres guardan siglos de historia en sus calles!"}));
    poner("PINGÜINO.TXT", cp1252({"<TIT>Un pingüino en Cádiz",
                                  "Pequeña anécdota: un pingüino llegó a una playa de Cádiz "
                                  "y recorrió la orilla durante una mañana de otoño.",
                                  "/",
                                  "Precio de la entrada al "
                                  "acuario: 12 €."}));
    poner("IMG\\MAPA.BMP", imagen("BMP", 40, 30, Qt::darkGreen));
    poner("IMG\\MAPA.txt",
          cp1252({"Mapa de España", "Las comunidades autónomas y sus capitales.", "/", "Escala aproximada."}));
    poner("IMG\\PICOS.PNG", imagen("PNG", 30, 20, Qt::gray));
    poner("IMG\\PICOS.txt", cp1252({"Los Picos de Europa", "Macizos de la cordillera Cantábrica, en el norte."}));
    poner("IMG\\CIELO.PNG", imagen("PNG", 10, 60, Qt::blue));
    return bien;
}

// The same encyclopaedia with bad articles among the good ones: control bytes and bytes Windows-1252 leaves
// undefined (MALO.TXT), a listed article that does not exist (NOESTA.TXT), a name that climbs out of the directory,
// a missing picture shown by two articles (FALTA.PNG), a picture that is not one (ROTA.JPG) and a 10 MB body
// (GRANDE.TXT). Complete list: MALO, NOESTA, ESPAÑA, SINIMAGEN, GRANDE, OTRA, ..\FUERA, MONTAÑAS.
inline bool escribirMalos(const Unidades& u) {
    if (!escribirEspana(u)) {
        return false;
    }
    const std::string d = kEspana;
    bool bien = u.escribir(d + "\\COMPLETA.DAT", cp1252({"MALO.TXT", "NOESTA.TXT", "ESPAÑA.TXT", "SINIMAGEN.TXT",
                                                         "GRANDE.TXT", "OTRA.TXT", "..\\FUERA.TXT", "MONTAÑAS.TXT"}));
    static const char malo[] = "<TIT>Malo\x01\r\nBytes \x00\x81\x8D\x7F y \x1B"
                               "fin\r\n";
    bien = u.escribir(d + "\\MALO.TXT", QByteArray(malo, sizeof malo - 1)) && bien;
    bien = u.escribir(d + "\\SINIMAGEN.TXT", cp1252({"<TIT>Sin imagen", "<IMG>FALTA.PNG", "Texto."})) && bien;
    bien = u.escribir(d + "\\OTRA.TXT", cp1252({"<TIT>Otra", "<IMG>FALTA.PNG", "<IMG>ROTA.JPG", "Más."})) && bien;
    bien = u.escribir(d + "\\IMG\\ROTA.JPG", QByteArray("no es una imagen")) && bien;
    QByteArray grande = "<TIT>Grande\r\n";
    const QByteArray linea = cp1252({"Una línea de texto con eñe, repetida hasta llenar diez megas."});
    while (grande.size() < 10 * 1024 * 1024) {
        grande += linea;
    }
    return u.escribir(d + "\\GRANDE.TXT", grande) && bien;
}

} // namespace prueba
