# Colours, configuration window, dictionary, word look-up, chooser and About box.
set(VIEWER_EXTRAS_SOURCES
    appearance/esquema.cpp appearance/esquema.h
    appearance/entorno.cpp appearance/entorno.h
    appearance/configuracion.cpp appearance/configuracion.h
    windows/caja_articulo.cpp windows/caja_articulo.h
    windows/consulta_palabra.cpp windows/consulta_palabra.h
    windows/diccionario.cpp windows/diccionario.h
    windows/acerca_de.cpp windows/acerca_de.h
    windows/elector.cpp windows/elector.h
    main_window/ventana_principal_extras.cpp
)
set(VIEWER_EXTRAS_TESTS
    tst_esquema
    tst_configuracion
    tst_diccionario
    tst_acerca_de
    tst_visor_extras
)
