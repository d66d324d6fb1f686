# The viewer's main window, start-up, selector and image window.
set(VIEWER_CORE_SOURCES
    main_window/al_frente.cpp main_window/al_frente.h
    main_window/caja_imagen.cpp main_window/caja_imagen.h
    main_window/enciclopedia_actual.cpp main_window/enciclopedia_actual.h
    main_window/etiqueta.cpp main_window/etiqueta.h
    main_window/fuentes.cpp main_window/fuentes.h
    main_window/modelo_de_titulos.cpp main_window/modelo_de_titulos.h
    main_window/ventana_principal.cpp main_window/ventana_principal.h
    main_window/teclado.cpp main_window/teclado.h
    main_window/tira.cpp main_window/tira.h
    main_window/ajustes.cpp main_window/ajustes.h
    main_window/buscador_articulo.cpp main_window/buscador_articulo.h
    main_window/historial.cpp main_window/historial.h
    main_window/articulo_mostrado.h
    main_window/menu_ir.cpp main_window/menu_ir.h
    main_window/plegado.cpp main_window/plegado.h
    main_window/tamano_texto.cpp main_window/tamano_texto.h
    windows/selector.cpp windows/selector.h
    windows/ventana_imagen.cpp windows/ventana_imagen.h
    windows/busqueda_al_teclear.cpp windows/busqueda_al_teclear.h
    windows/lista_por_tandas.cpp windows/lista_por_tandas.h
)
set(VIEWER_CORE_TESTS
    tst_ventana_principal
    tst_escritorio
    tst_modelo_de_titulos
    tst_cache_titulos
    tst_lectura
)

# Full-text search: its window and the model behind it.
list(APPEND VIEWER_CORE_SOURCES
    windows/busqueda_en_texto.cpp windows/busqueda_en_texto.h
    windows/ventana_busqueda.cpp windows/ventana_busqueda.h
)
list(APPEND VIEWER_CORE_TESTS tst_busqueda_en_texto)

# Print and PDF of the article shown.
list(APPEND VIEWER_CORE_SOURCES
    main_window/menu_imprimir.cpp main_window/menu_imprimir.h
)
list(APPEND VIEWER_CORE_TESTS tst_imprimir)
