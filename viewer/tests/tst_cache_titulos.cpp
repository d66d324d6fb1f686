// The title cache from the index's side: a listing of the complete list writes it; the next listing shows its
// titles at once and corrects, in place, every article whose file is not as cached; a cache that is damaged,
// of another format or of another encyclopaedia is never trusted, and is written anew.

#include "main_window/modelo_de_titulos.h"
#include "store/articulo.h"
#include "store/cache_de_titulos.h"
#include "store/rutas.h"
#include "tests/support/unidades.h"
#include "viewer/tests/indice_de_prueba.h"
#include "windows/selector.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kArticulos = 300; // more than one piece of the check
const std::string kDir = "C:\\ENC\\E";

struct Tienda {
    Tienda() {
        u.escribir("C:\\LUMBRE\\TOMOS.DAT", "C:\\ENC\\ACTUAL.DAT\r\nC:\\ENC\\TOMOS.DAT\r\n");
        u.escribir("C:\\ENC\\TOMOS.DAT", "C:\\ENC\\E\r\nC:\\ENC\\OTRA\r\n");
        actual("E");
        llenar("E", "T\xEDtulo ");
        llenar("OTRA", "Otro ");
    }
    void actual(const char* nombre) { u.escribir("C:\\ENC\\ACTUAL.DAT", QByteArray("C:\\ENC\\") + nombre + "\r\n"); }
    void llenar(const char* enciclopedia, const QByteArray& prefijo) {
        QByteArray completa;
        for (int i = 0; i < kArticulos; ++i) {
            const QByteArray nombre = "a" + QByteArray::number(i) + ".txt";
            completa += nombre + "\r\n";
            escribirArticulo(enciclopedia, nombre, prefijo + QByteArray::number(i));
        }
        u.escribir(std::string("C:\\ENC\\") + enciclopedia + "\\COMPLETA.DAT", completa);
    }
    fs::path nativa(const char* enciclopedia, const QByteArray& nombre) const {
        return store::resolver(std::string("C:\\ENC\\") + enciclopedia + "\\" + nombre.toStdString());
    }
    // Written with a time an hour ago, as an article the author saved long before.
    void escribirArticulo(const char* enciclopedia, const QByteArray& nombre, const QByteArray& titulo) {
        u.escribir(std::string("C:\\ENC\\") + enciclopedia + "\\" + nombre.toStdString(),
                   "<TIT>" + titulo + "\r\ntexto\r\n");
        ponerHora(nativa(enciclopedia, nombre), ::time(nullptr) - 3600);
    }
    static void ponerHora(const fs::path& ruta, time_t segundos) {
        const struct timespec horas[2] = {{segundos, 0}, {segundos, 0}};
        QVERIFY(::utimensat(AT_FDCWD, ruta.c_str(), horas, 0) == 0);
    }
    fs::path cache(const char* enciclopedia) const {
        const auto id = store::identidadDe(std::string("C:\\ENC\\") + enciclopedia);
        return store::archivoCacheTitulos(fs::path(qgetenv("XDG_CACHE_HOME").toStdString()) / "lumbre", *id);
    }
    prueba::Unidades u;
};

// The titles as the files say, for comparing.
QStringList titulosEnDisco(const ModeloDeTitulos& indice) {
    QStringList t;
    for (int i = 0; i < indice.cantidadNombres(); ++i) {
        const auto titulo = store::leerTitulo(store::unir(kDir, indice.nombre(i)));
        t << (titulo ? ui::desdeStore(*titulo) : QString());
    }
    return t;
}

QStringList titulosDe(const ModeloDeTitulos& indice) {
    QStringList t;
    for (int i = 0; i < indice.rowCount(); ++i) {
        t << indice.index(i).data().toString();
    }
    return t;
}

// One listing of the complete list as the viewer's start makes it, until the cache is written. Whether it
// started from the cache, and what row `fila` showed when the titles were first listed.
struct Listado {
    bool desdeCache = false;
    QString primeroEnFila;
};

Listado listar(ModeloDeTitulos& indice, int fila = 0) {
    Listado l;
    indice.vaciar();
    auto c = QObject::connect(&indice, &ModeloDeTitulos::progresoComprobacion, [&](int hechos, int) {
        if (hechos == 0) {
            l.desdeCache = true;
            l.primeroEnFila = indice.index(fila).data().toString();
        }
    });
    indice.cargarLista("COMPLETA");
    indice.listar();
    const bool terminado = prueba::esperarListado(&indice);
    indice.esperarHilos();
    QObject::disconnect(c);
    if (!terminado) {
        qWarning("el listado no terminó");
    }
    return l;
}

} // namespace

class PruebaCacheTitulos : public QObject {
    Q_OBJECT
private slots:
    // What changes between two starts, and whether the second may start from the cache.
    void secondStart_showsTheCacheAndCorrectsWhatChanged_data() {
        QTest::addColumn<std::function<void(Tienda&)>>("cambio");
        QTest::addColumn<bool>("desdeCache");
        QTest::addColumn<int>("fila");        // a row to watch
        QTest::addColumn<QString>("primero"); // what it shows at first (from the cache), when it is
        auto nada = [](Tienda&) {};
        QTest::newRow("nothing changed") << std::function<void(Tienda&)>(nada) << true << 5
                                         << QStringLiteral("Título 5");
        QTest::newRow("a title changed") << std::function<void(Tienda&)>([](Tienda& t) {
            t.escribirArticulo("E", "a5.txt", "Cambiado y m\xE1s largo");
        }) << true << 5 << QStringLiteral("Título 5");
        QTest::newRow("same size and time, another file") << std::function<void(Tienda&)>([](Tienda& t) {
            struct stat antes {};
            ::stat(t.nativa("E", "a7.txt").c_str(), &antes);
            t.escribirArticulo("E", "nuevo.tmp", "Nuevo 77");
            // "Nuevo 77" and "Título 7" are as long: same size, same time, another inode.
            const auto nueva = t.nativa("E", "nuevo.tmp");
            Tienda::ponerHora(nueva, antes.st_mtim.tv_sec);
            fs::rename(nueva, t.nativa("E", "a7.txt"));
        }) << true << 7 << QStringLiteral("Título 7");
        QTest::newRow("an article added") << std::function<void(Tienda&)>([](Tienda& t) {
            t.escribirArticulo("E", "nuevo.txt", "Reci\xE9n llegado");
            QByteArray completa = t.u.bytes(kDir + "\\COMPLETA.DAT");
            t.u.escribir(kDir + "\\COMPLETA.DAT", completa.insert(0, "nuevo.txt\r\n"));
        }) << true << 0 << QString();
        QTest::newRow("an article removed")
            << std::function<void(Tienda&)>([](Tienda& t) { fs::remove(t.nativa("E", "a9.txt")); }) << true << 9
            << QStringLiteral("Título 9");
        QTest::newRow("an article renamed") << std::function<void(Tienda&)>([](Tienda& t) {
            fs::rename(t.nativa("E", "a3.txt"), t.nativa("E", "b3.txt"));
            t.escribirArticulo("E", "a3.txt", "Otro en su lugar");
            QByteArray completa = t.u.bytes(kDir + "\\COMPLETA.DAT");
            t.u.escribir(kDir + "\\COMPLETA.DAT", completa.replace("\na3.txt\r", "\nb3.txt\r"));
        }) << true << 3 << QString();
        QTest::newRow("the cache of another encyclopaedia") << std::function<void(Tienda&)>([](Tienda& t) {
            ModeloDeTitulos otra;
            t.actual("OTRA");
            listar(otra);
            t.actual("E");
            fs::copy_file(t.cache("OTRA"), t.cache("E"), fs::copy_options::overwrite_existing);
        }) << false << 0 << QString();
        QTest::newRow("the same path made anew") << std::function<void(Tienda&)>([](Tienda& t) {
            const auto dir = t.nativa("E", "a0.txt").parent_path();
            fs::rename(dir, dir.parent_path() / "VIEJA");
            t.llenar("E", "Nuevo ");
        }) << false << 0 << QString();
        QTest::newRow("a truncated cache") << std::function<void(Tienda&)>([](Tienda& t) {
            fs::resize_file(t.cache("E"), fs::file_size(t.cache("E")) / 2);
        }) << false << 0 << QString();
        QTest::newRow("a cache grown at its end") << std::function<void(Tienda&)>([](Tienda& t) {
            std::FILE* f = std::fopen(t.cache("E").c_str(), "ab");
            std::fputs("x", f);
            std::fclose(f);
        }) << false << 0 << QString();
        QTest::newRow("a byte changed inside a title") << std::function<void(Tienda&)>([](Tienda& t) {
            std::FILE* f = std::fopen(t.cache("E").c_str(), "r+b");
            std::fseek(f, static_cast<long>(fs::file_size(t.cache("E")) / 2), SEEK_SET);
            const int c = std::fgetc(f);
            std::fseek(f, -1, SEEK_CUR);
            std::fputc(c ^ 0x20, f);
            std::fclose(f);
        }) << false << 0 << QString();
        QTest::newRow("another version of the format") << std::function<void(Tienda&)>([](Tienda& t) {
            std::FILE* f = std::fopen(t.cache("E").c_str(), "r+b");
            std::fseek(f, 8, SEEK_SET);
            std::fputc(2, f);
            std::fclose(f);
        }) << false << 0 << QString();
        QTest::newRow("garbage") << std::function<void(Tienda&)>([](Tienda& t) {
            std::FILE* f = std::fopen(t.cache("E").c_str(), "wb");
            for (int i = 0; i < 100000; ++i) {
                std::fputc((i * 7919) & 0xFF, f);
            }
            std::fclose(f);
        }) << false << 0 << QString();
    }
    void secondStart_showsTheCacheAndCorrectsWhatChanged() {
        QFETCH(std::function<void(Tienda&)>, cambio);
        QFETCH(bool, desdeCache);
        QFETCH(int, fila);
        QFETCH(QString, primero);
        Tienda t;
        ModeloDeTitulos indice;
        QVERIFY(!listar(indice).desdeCache); // the first start has no cache: it reads every file
        QVERIFY(fs::exists(t.cache("E")));
        QCOMPARE(titulosDe(indice), titulosEnDisco(indice));

        cambio(t);
        const Listado segundo = listar(indice, fila);
        QCOMPARE(segundo.desdeCache, desdeCache);
        if (desdeCache) {
            QCOMPARE(segundo.primeroEnFila, primero);
        }
        QCOMPARE(titulosDe(indice), titulosEnDisco(indice));

        // Whatever the cache was, it is right again for the next start, which starts from it.
        const Listado tercero = listar(indice);
        QVERIFY(tercero.desdeCache);
        QCOMPARE(titulosDe(indice), titulosEnDisco(indice));
    }

    // The check looks at each file, it does not read it: a file rewritten in place with the same size and time
    // is trusted, which shows that the second start's titles came from the cache.
    // The complete list is read by the listing itself, on a worker thread: one it cannot read is said, lists
    // nothing, and leaves the cache as the last good listing wrote it.
    void listNotRead_isSaid_andLeavesTheCache() {
        Tienda t;
        ModeloDeTitulos indice;
        QVERIFY(!listar(indice).desdeCache);
        QFile escrita(QString::fromStdString(t.cache("E").string()));
        QVERIFY(escrita.open(QIODevice::ReadOnly));
        const QByteArray antes = escrita.readAll();
        escrita.close();

        const fs::path completa = t.nativa("E", "COMPLETA.DAT");
        fs::rename(completa, completa.string() + ".aparte");
        QSignalSpy errores(&indice, &ModeloDeTitulos::error);
        listar(indice);
        QCOMPARE(errores.size(), 1);
        QVERIFY(errores.front().front().value<store::Error>().ruta == "C:\\ENC\\E\\COMPLETA.dat");
        QCOMPARE(indice.rowCount(), 0);
        QVERIFY(escrita.open(QIODevice::ReadOnly));
        QCOMPARE(escrita.readAll(), antes);
        escrita.close();

        fs::rename(completa.string() + ".aparte", completa);
        const Listado otra = listar(indice);
        QVERIFY(otra.desdeCache);
        QCOMPARE(indice.rowCount(), kArticulos);
    }

    void check_trustsAFileThatLooksTheSame() {
        Tienda t;
        ModeloDeTitulos indice;
        listar(indice);
        struct stat antes {};
        ::stat(t.nativa("E", "a4.txt").c_str(), &antes);
        std::FILE* f = std::fopen(t.nativa("E", "a4.txt").c_str(), "r+b");
        std::fputs("<TIT>Xxxxxx 4", f);
        std::fclose(f);
        Tienda::ponerHora(t.nativa("E", "a4.txt"), antes.st_mtim.tv_sec);
        QVERIFY(listar(indice).desdeCache);
        QCOMPARE(indice.titulo(4), std::string_view("T\xEDtulo 4"));
    }

    // While the check runs the count line says so; then it says the count as ever. Narrowing with lists
    // lists from the cache too, and never writes it.
    void countLine_saysTheCheck_andListsUseTheCacheWithoutWritingIt() {
        Tienda t;
        t.u.escribir(kDir + "\\LISTAS.DAT", "MITAD\r\n");
        t.u.escribir(kDir + "\\MITAD.DAT", "A2.TXT\r\na1.txt\r\n");
        ModeloDeTitulos indice;
        Selector selector(&indice, nullptr);
        listar(indice);
        QStringList lineas;
        connect(&indice, &ModeloDeTitulos::progresoComprobacion, this, [&] { lineas << selector.lblCantidad->text(); });
        listar(indice);
        selector.ActuaLbl();
        QVERIFY(!lineas.isEmpty());
        QCOMPARE(lineas.front(), QStringLiteral("300 artículos en la lista. Comprobando títulos… 0 de 300"));
        QCOMPARE(selector.lblCantidad->text(), QStringLiteral("300 artículos en la lista."));

        const auto antes = fs::last_write_time(t.cache("E"));
        indice.vaciar();
        indice.cargarLista("MITAD");
        lineas.clear();
        indice.listar();
        QVERIFY(prueba::esperarListado(&indice));
        indice.esperarHilos();
        QVERIFY(!lineas.isEmpty());
        QCOMPARE(titulosDe(indice), (QStringList{QStringLiteral("Título 2"), QStringLiteral("Título 1")}));
        QCOMPARE(fs::last_write_time(t.cache("E")), antes);
    }
};

QTEST_MAIN(PruebaCacheTitulos)
#include "tst_cache_titulos.moc"
