#include "editor/ventana_importar_zim.h"

#include "editor/importacion_escrita.h"

#include "editor/comun.h"
#include "importar/documento.h"
#include "importar/qt/imagenes.h"
#include "store/archivo_de_texto.h"
#include "store/codificacion.h"
#include "store/limites.h"
#include "ui/dialogos.h"
#include "ui/texto.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

using forja::boton;
using forja::control;
using forja::etiqueta;
using ui::Dialogos;

namespace {

QString deUtf8(const std::string& s) {
    return QString::fromStdString(s);
}

// How many suggestions the list shows as one types.
constexpr int kSugerencias = 12;

QSpinBox* numero(QWidget* padre, const QString& nombre, const QString& accesible, int minimo, int maximo, int valor) {
    auto* s = control<QSpinBox>(padre, nombre, accesible);
    s->setRange(minimo, maximo);
    s->setValue(valor);
    return s;
}

} // namespace

VentanaImportarZim::VentanaImportarZim(QWidget* padre, std::string tomo)
    : VentanaDeImportacion(padre, std::move(tomo)) {
    setObjectName(QStringLiteral("VentanaImportarZim"));
    setWindowTitle(QStringLiteral("Importar desde un archivo ZIM"));
    setFont(forja::fuenteDeVentana());
    auto* rejilla = new QGridLayout(this);
    lblArchivo = etiqueta(this, QStringLiteral("lblArchivo"), QStringLiteral("Archivo ZIM:"));
    txtArchivo = control<QLineEdit>(this, QStringLiteral("txtArchivo"), QStringLiteral("Archivo ZIM"));
    txtArchivo->setReadOnly(true);
    lblArchivo->setBuddy(txtArchivo);
    cmdArchivo = boton(this, QStringLiteral("cmdArchivo"), QStringLiteral("Abrir…"));
    lblDatos =
        etiqueta(this, QStringLiteral("lblDatos"), QStringLiteral("Abra un archivo ZIM para elegir sus artículos."));
    lblDatos->setWordWrap(true);

    lblTitulo = etiqueta(this, QStringLiteral("lblTitulo"), QStringLiteral("&Título (se sugieren al escribir):"));
    txtTitulo = control<QLineEdit>(this, QStringLiteral("txtTitulo"), QStringLiteral("Título"));
    lblTitulo->setBuddy(txtTitulo);
    lstSugerencias = control<QListWidget>(this, QStringLiteral("lstSugerencias"), QStringLiteral("Sugerencias"));
    cmdAgregarTitulo = boton(this, QStringLiteral("cmdAgregarTitulo"), QStringLiteral("Agregar"));
    lstElegidos = control<QListWidget>(this, QStringLiteral("lstElegidos"), QStringLiteral("Títulos elegidos"));
    cmdQuitarTitulo = boton(this, QStringLiteral("cmdQuitarTitulo"), QStringLiteral("Quitar"));
    cmdListaTitulos = boton(this, QStringLiteral("cmdListaTitulos"), QStringLiteral("Lista de títulos…"));

    lblConsulta = etiqueta(this, QStringLiteral("lblConsulta"), QStringLiteral("&Búsqueda de texto completo:"));
    txtConsulta = control<QLineEdit>(this, QStringLiteral("txtConsulta"), QStringLiteral("Búsqueda"));
    lblConsulta->setBuddy(txtConsulta);
    spnMaximoConsulta = numero(this, QStringLiteral("spnMaximoConsulta"),
                               QStringLiteral("Como mucho, artículos de "
                                              "la búsqueda"),
                               1, 100000, 100);
    lblTema = etiqueta(this, QStringLiteral("lblTema"),
                       QStringLiteral("T&ema (un artículo y los que alcanzan sus "
                                      "enlaces), profundidad y como mucho:"));
    txtTema = control<QLineEdit>(this, QStringLiteral("txtTema"), QStringLiteral("Tema"));
    lblTema->setBuddy(txtTema);
    spnProfundidad = numero(this, QStringLiteral("spnProfundidad"), QStringLiteral("Profundidad"), 0, 10, 2);
    spnMaximoTema = numero(this, QStringLiteral("spnMaximoTema"), QStringLiteral("Como mucho, artículos del tema"), 1,
                           1000000, 500);
    lblExcluir = etiqueta(this, QStringLiteral("lblExcluir"),
                          QStringLiteral("E&xcluir (títulos o palabras del título, separados por «;»):"));
    txtExcluir = control<QLineEdit>(this, QStringLiteral("txtExcluir"), QStringLiteral("Excluir"));
    lblExcluir->setBuddy(txtExcluir);
    lblLista = etiqueta(this, QStringLiteral("lblLista"), QStringLiteral("&Lista con lo elegido (opcional):"));
    txtLista = control<QLineEdit>(this, QStringLiteral("txtLista"), QStringLiteral("Lista"));
    lblLista->setBuddy(txtLista);
    lblListaBusqueda = etiqueta(this, QStringLiteral("lblListaBusqueda"),
                                QStringLiteral("Lista con lo que da la bús&queda (opcional):"));
    txtListaBusqueda =
        control<QLineEdit>(this, QStringLiteral("txtListaBusqueda"), QStringLiteral("Lista de la búsqueda"));
    lblListaBusqueda->setBuddy(txtListaBusqueda);
    lblListaTema =
        etiqueta(this, QStringLiteral("lblListaTema"), QStringLiteral("Lista con lo que alcanza el te&ma (opcional):"));
    txtListaTema = control<QLineEdit>(this, QStringLiteral("txtListaTema"), QStringLiteral("Lista del tema"));
    lblListaTema->setBuddy(txtListaTema);
    cmdPlanear = boton(this, QStringLiteral("cmdPlanear"), QStringLiteral("Ver el plan"));
    txtPlan = control<QPlainTextEdit>(this, QStringLiteral("txtPlan"), QStringLiteral("Lo que se creará"));
    txtPlan->setReadOnly(true);
    barAvance = control<QProgressBar>(this, QStringLiteral("barAvance"), QStringLiteral("Avance"));
    barAvance->setRange(0, 1);
    barAvance->setValue(0);
    cmdImportar = boton(this, QStringLiteral("cmdImportar"), QStringLiteral("Importar"));
    cmdCerrar = boton(this, QStringLiteral("cmdCerrar"), QStringLiteral("Cerrar"));

    int f = 0;
    rejilla->addWidget(lblArchivo, f++, 0, 1, 4);
    rejilla->addWidget(txtArchivo, f, 0, 1, 3);
    rejilla->addWidget(cmdArchivo, f++, 3);
    rejilla->addWidget(lblDatos, f++, 0, 1, 4);
    rejilla->addWidget(lblTitulo, f++, 0, 1, 4);
    rejilla->addWidget(txtTitulo, f, 0, 1, 2);
    rejilla->addWidget(cmdAgregarTitulo, f, 2);
    rejilla->addWidget(cmdListaTitulos, f++, 3);
    rejilla->addWidget(lstSugerencias, f, 0, 1, 2);
    rejilla->addWidget(lstElegidos, f, 2, 1, 2);
    ++f;
    rejilla->addWidget(cmdQuitarTitulo, f++, 3);
    rejilla->addWidget(lblConsulta, f++, 0, 1, 4);
    rejilla->addWidget(txtConsulta, f, 0, 1, 3);
    rejilla->addWidget(spnMaximoConsulta, f++, 3);
    rejilla->addWidget(lblTema, f++, 0, 1, 4);
    rejilla->addWidget(txtTema, f, 0, 1, 2);
    rejilla->addWidget(spnProfundidad, f, 2);
    rejilla->addWidget(spnMaximoTema, f++, 3);
    rejilla->addWidget(lblExcluir, f++, 0, 1, 4);
    rejilla->addWidget(txtExcluir, f++, 0, 1, 4);
    rejilla->addWidget(lblLista, f, 0, 1, 2);
    rejilla->addWidget(txtLista, f++, 2, 1, 2);
    rejilla->addWidget(lblListaBusqueda, f, 0, 1, 2);
    rejilla->addWidget(txtListaBusqueda, f++, 2, 1, 2);
    rejilla->addWidget(lblListaTema, f, 0, 1, 2);
    rejilla->addWidget(txtListaTema, f++, 2, 1, 2);
    rejilla->addWidget(cmdPlanear, f++, 3);
    rejilla->addWidget(txtPlan, f++, 0, 1, 4);
    rejilla->addWidget(barAvance, f++, 0, 1, 4);
    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(cmdImportar);
    botones->addWidget(cmdCerrar);
    rejilla->addLayout(botones, f, 0, 1, 4);
    resize(720, 720);

    connect(cmdArchivo, &QPushButton::clicked, this, &VentanaImportarZim::cmdArchivo_Click);
    connect(txtTitulo, &QLineEdit::textEdited, this, &VentanaImportarZim::sugerir);
    connect(txtTitulo, &QLineEdit::returnPressed, this, &VentanaImportarZim::cmdAgregarTitulo_Click);
    connect(lstSugerencias, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* i) {
        lstSugerencias->setCurrentItem(i);
        cmdAgregarTitulo_Click();
    });
    connect(cmdAgregarTitulo, &QPushButton::clicked, this, &VentanaImportarZim::cmdAgregarTitulo_Click);
    connect(cmdQuitarTitulo, &QPushButton::clicked, this, &VentanaImportarZim::cmdQuitarTitulo_Click);
    connect(cmdListaTitulos, &QPushButton::clicked, this, &VentanaImportarZim::cmdListaTitulos_Click);
    connect(cmdPlanear, &QPushButton::clicked, this, &VentanaImportarZim::cmdPlanear_Click);
    connect(cmdImportar, &QPushButton::clicked, this, &VentanaImportarZim::cmdImportar_Click);
    connect(cmdCerrar, &QPushButton::clicked, this, &VentanaImportarZim::close);
    habilitar();
}

VentanaImportarZim::~VentanaImportarZim() {
    detener(); // the work reads the file this window holds
}

void VentanaImportarZim::habilitar() {
    const bool libre = !ocupada();
    const bool hay = fuente_ != nullptr;
    cmdArchivo->setEnabled(libre);
    for (QWidget* w : std::initializer_list<QWidget*>{
             txtTitulo, lstSugerencias, cmdAgregarTitulo, lstElegidos, cmdQuitarTitulo, cmdListaTitulos, txtTema,
             spnProfundidad, spnMaximoTema, txtExcluir, txtLista, txtListaBusqueda, txtListaTema, cmdPlanear}) {
        w->setEnabled(libre && hay);
    }
    const bool indice = hay && fuente_->datos().indiceCompleto;
    txtConsulta->setEnabled(libre && indice);
    spnMaximoConsulta->setEnabled(libre && indice);
    cmdImportar->setEnabled(libre && plan_ && !plan_->articulos.empty());
}

bool VentanaImportarZim::abrir(const QString& archivo) {
    if (ocupada()) {
        return false;
    }
    std::string error;
    auto fuente = importar::FuenteZim::abrir(std::filesystem::path(archivo.toStdString()), error);
    if (!fuente) {
        Dialogos::avisar(this, deUtf8(error));
        return false;
    }
    fuente_ = std::move(fuente);
    plan_.reset();
    txtArchivo->setText(archivo);
    lblDatos->setText(deUtf8(importar::describir(fuente_->datos())).trimmed());
    lstSugerencias->clear();
    lstElegidos->clear();
    txtPlan->clear();
    habilitar();
    return true;
}

void VentanaImportarZim::cmdArchivo_Click() {
    const QString archivo = Dialogos::abrirArchivo(this, QStringLiteral("Importar desde un archivo ZIM"),
                                                   QStringLiteral("Archivos ZIM (*.zim);;Todos los archivos (*)"));
    if (!archivo.isEmpty()) {
        abrir(archivo);
    }
}

void VentanaImportarZim::sugerir(const QString& texto) {
    lstSugerencias->clear();
    if (!fuente_ || texto.trimmed().isEmpty()) {
        return;
    }
    for (const importar::PaginaZim& p : fuente_->sugerir(texto.toStdString(), kSugerencias)) {
        lstSugerencias->addItem(deUtf8(p.titulo));
    }
    if (lstSugerencias->count() > 0) {
        lstSugerencias->setCurrentRow(0);
    }
}

void VentanaImportarZim::cmdAgregarTitulo_Click() {
    QString titulo = lstSugerencias->currentItem() ? lstSugerencias->currentItem()->text() : txtTitulo->text();
    titulo = titulo.trimmed();
    if (titulo.isEmpty() || !lstElegidos->findItems(titulo, Qt::MatchExactly).isEmpty()) {
        return;
    }
    lstElegidos->addItem(titulo);
    txtTitulo->clear();
    lstSugerencias->clear();
}

void VentanaImportarZim::cmdQuitarTitulo_Click() {
    delete lstElegidos->currentItem();
}

void VentanaImportarZim::cmdListaTitulos_Click() {
    const QString archivo = Dialogos::abrirArchivo(this, QStringLiteral("Lista de títulos, uno por línea"),
                                                   QStringLiteral("Textos (*.txt);;Todos los archivos (*)"));
    if (archivo.isEmpty()) {
        return;
    }
    const auto bytes = store::leerBytesNativos(std::filesystem::path(archivo.toStdString()), store::kLimiteLista);
    if (!bytes) {
        Dialogos::avisar(this, ui::desdeStore(bytes.error().mensaje()));
        return;
    }
    for (const QString& l : deUtf8(importar::comoUtf8(*bytes)).split(QLatin1Char('\n'))) {
        const QString t = l.trimmed();
        if (!t.isEmpty() && lstElegidos->findItems(t, Qt::MatchExactly).isEmpty()) {
            lstElegidos->addItem(t);
        }
    }
}

void VentanaImportarZim::cmdPlanear_Click() {
    if (ocupada() || !fuente_) {
        return;
    }
    importar::SeleccionZim s;
    for (int i = 0; i < lstElegidos->count(); ++i) {
        s.titulos.push_back(lstElegidos->item(i)->text().toStdString());
    }
    if (txtConsulta->isEnabled() && !txtConsulta->text().trimmed().isEmpty()) {
        s.consulta = txtConsulta->text().trimmed().toStdString();
        s.maximoConsulta = static_cast<std::size_t>(spnMaximoConsulta->value());
    }
    if (!txtTema->text().trimmed().isEmpty()) {
        s.temas.push_back(txtTema->text().trimmed().toStdString());
        s.profundidad = spnProfundidad->value();
        s.maximoTema = static_cast<std::size_t>(spnMaximoTema->value());
    }
    for (const QString& e : txtExcluir->text().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (!e.trimmed().isEmpty()) {
            s.excluir.push_back(e.trimmed().toStdString());
        }
    }
    if (s.titulos.empty() && s.consulta.empty() && s.temas.empty()) {
        txtPlan->setPlainText(QStringLiteral("Elija artículos: agregue títulos, escriba una búsqueda o un tema."));
        return;
    }
    plan_.reset();
    txtPlan->setPlainText(QStringLiteral("Eligiendo los artículos…"));
    barAvance->setRange(0, 0);
    importar::Opciones opciones;
    opciones.convertir = importar::convertirConQt;
    const auto lista = [](const QLineEdit* campo) { return campo->text().trimmed().toStdString(); };
    const std::string listaTodo = lista(txtLista);
    const std::string listaBusqueda = s.consulta.empty() ? std::string() : lista(txtListaBusqueda);
    const std::string listaTema = s.temas.empty() ? std::string() : lista(txtListaTema);
    const importar::FuenteZim* fuente = fuente_.get();
    empezar([this, s, opciones, fuente, tomo = tomo_, listaTodo, listaBusqueda, listaTema]() mutable {
        const importar::Seleccionadas elegidas = importar::seleccionar(*fuente, s, importar::enlacesDeArticuloZim);
        for (const auto& [nombre, entradas] :
             {std::pair{listaTodo, std::vector<std::string>{}}, std::pair{listaBusqueda, elegidas.consulta},
              std::pair{listaTema, elegidas.tema}}) {
            if (!nombre.empty()) {
                opciones.listas.push_back({nombre, entradas});
            }
        }
        const std::size_t total = elegidas.paginas.size();
        QMetaObject::invokeMethod(
            this, [this, total] { barAvance->setRange(0, static_cast<int>(std::max<std::size_t>(total, 1))); },
            Qt::QueuedConnection);
        auto resultado = importar::planearZim(*fuente, elegidas.paginas, tomo, opciones, [this](std::size_t hechos) {
            QMetaObject::invokeMethod(
                this, [this, hechos] { barAvance->setValue(static_cast<int>(hechos)); }, Qt::QueuedConnection);
            return !parar_.load();
        });
        QMetaObject::invokeMethod(
            this,
            [this, avisos = elegidas.avisos,
             r = std::make_shared<store::Resultado<importar::Plan>>(std::move(resultado))] {
                mostrarPlan(std::move(*r), avisos);
            },
            Qt::QueuedConnection);
    });
}

void VentanaImportarZim::mostrarPlan(store::Resultado<importar::Plan> resultado,
                                     const std::vector<std::string>& avisos) {
    barAvance->setRange(0, 1);
    barAvance->setValue(0);
    QString texto;
    for (const std::string& a : avisos) {
        texto += QStringLiteral("aviso: ") + deUtf8(a) + QLatin1Char('\n');
    }
    if (!resultado) {
        txtPlan->setPlainText(texto + ui::desdeStore(resultado.error().mensaje()));
        return;
    }
    plan_ = std::move(*resultado);
    if (plan_->articulos.empty()) {
        txtPlan->setPlainText(texto + QStringLiteral("No hay ningún artículo que escribir.\n") +
                              deUtf8(importar::describir(*plan_)));
        return;
    }
    txtPlan->setPlainText(deUtf8(importar::resumir(*plan_)) + texto + deUtf8(importar::describir(*plan_)));
}

void VentanaImportarZim::cmdImportar_Click() {
    escribirPlan(barAvance, txtPlan);
}
