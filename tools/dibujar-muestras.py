#!/usr/bin/env python3
"""Draws the pictures and icons of the sample encyclopaedias (samples/SOLAR and samples/RIOS).

The pictures are committed; run this again only to change them:
    python3 tools/dibujar-muestras.py
Needs Pillow (Debian: python3-pil) and the Liberation fonts (Debian: fonts-liberation).

Every drawing is made at twice its size and scaled down, which smooths the edges. Random details (stars,
craters, clouds) come from fixed seeds, so a second run gives the same pictures.
"""

import math
import os
import random
import struct
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

RAIZ = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "samples")
FUENTES = "/usr/share/fonts/truetype/liberation"
S = 2  # drawing scale


def fuente(px, negrita=False):
    nombre = "LiberationSans-Bold.ttf" if negrita else "LiberationSans-Regular.ttf"
    return ImageFont.truetype(os.path.join(FUENTES, nombre), int(px * S))


class Lienzo:
    """A picture drawn at scale S; coordinates are given in final pixels."""

    def __init__(self, ancho, alto, fondo=(0, 0, 0)):
        self.ancho, self.alto = ancho, alto
        self.img = Image.new("RGB", (ancho * S, alto * S), fondo)
        self.d = ImageDraw.Draw(self.img)
        self.px = self.img.load()

    def caja(self, x0, y0, x1, y1):
        return [x0 * S, y0 * S, x1 * S, y1 * S]

    def circulo(self, cx, cy, r, relleno=None, borde=None, grosor=1):
        self.d.ellipse(self.caja(cx - r, cy - r, cx + r, cy + r), fill=relleno, outline=borde, width=int(grosor * S))

    def elipse(self, cx, cy, rx, ry, relleno=None, borde=None, grosor=1):
        self.d.ellipse(self.caja(cx - rx, cy - ry, cx + rx, cy + ry), fill=relleno, outline=borde,
                       width=max(1, int(grosor * S)))

    def linea(self, puntos, color, grosor=1):
        self.d.line([(x * S, y * S) for x, y in puntos], fill=color, width=max(1, int(grosor * S)), joint="curve")

    def poligono(self, puntos, relleno=None, borde=None, grosor=1):
        self.d.polygon([(x * S, y * S) for x, y in puntos], fill=relleno, outline=borde,
                       width=max(1, int(grosor * S)))

    def texto(self, x, y, cadena, color, tam=11, negrita=False, ancla="la"):
        self.d.text((x * S, y * S), cadena, fill=color, font=fuente(tam, negrita), anchor=ancla)

    def estrellas(self, cuantas, semilla, zona=None):
        azar = random.Random(semilla)
        x0, y0, x1, y1 = zona or (0, 0, self.ancho, self.alto)
        for _ in range(cuantas):
            x, y = azar.uniform(x0, x1), azar.uniform(y0, y1)
            brillo = azar.choice([90, 120, 150, 190, 230, 255])
            tono = azar.choice([(1, 1, 1), (0.85, 0.9, 1), (1, 0.95, 0.8)])
            color = tuple(int(brillo * t) for t in tono)
            r = 0.45 if brillo < 200 else azar.choice([0.6, 0.8, 1.1])
            self.circulo(x, y, r, relleno=color)

    def degradado_vertical(self, arriba, abajo):
        for y in range(self.alto * S):
            t = y / (self.alto * S - 1)
            color = tuple(int(a + (b - a) * t) for a, b in zip(arriba, abajo))
            self.d.line([(0, y), (self.ancho * S, y)], fill=color)

    def esfera(self, cx, cy, r, color_en, luz=(-0.5, -0.45, 0.75), ambiente=0.06, mezcla=None):
        """A shaded sphere. color_en(u, v, x, y, z) gives the surface colour at the disc point (u, v), both
        from -1 to 1 (v downwards), and the surface normal (x, y, z). The light falls from `luz`."""
        lx, ly, lz = luz
        n = math.sqrt(lx * lx + ly * ly + lz * lz)
        lx, ly, lz = lx / n, ly / n, lz / n
        R = r * S
        for py in range(int((cy - r) * S) - 1, int((cy + r) * S) + 2):
            if py < 0 or py >= self.alto * S:
                continue
            v = (py + 0.5 - cy * S) / R
            for qx in range(int((cx - r) * S) - 1, int((cx + r) * S) + 2):
                if qx < 0 or qx >= self.ancho * S:
                    continue
                u = (qx + 0.5 - cx * S) / R
                d2 = u * u + v * v
                if d2 > 1:
                    continue
                z = math.sqrt(1 - d2)
                c = color_en(u, v, u, v, z)
                if c is None:
                    continue
                difusa = max(0.0, u * lx + v * ly + z * lz)
                k = ambiente + (1 - ambiente) * difusa
                if ambiente < 1:
                    k *= 0.75 + 0.25 * z  # a little darker towards the edge
                color = tuple(min(255, int(ch * k)) for ch in c)
                borde = (1 - math.sqrt(d2)) * R
                if borde < 1.5:  # soften the rim over the last pixel and a half
                    a = borde / 1.5
                    fondo = self.px[qx, py]
                    color = tuple(int(fondo[i] + (color[i] - fondo[i]) * a) for i in range(3))
                self.px[qx, py] = color

    def halo(self, cx, cy, r, color, alcance, fuerza=1.0):
        """A soft glow around a disc of radius r."""
        R0, R1 = r * S, (r + alcance) * S
        for py in range(max(0, int((cy - r - alcance) * S)), min(self.alto * S, int((cy + r + alcance) * S) + 1)):
            for qx in range(max(0, int((cx - r - alcance) * S)), min(self.ancho * S, int((cx + r + alcance) * S) + 1)):
                dist = math.hypot(qx - cx * S, py - cy * S)
                if dist < R0 - 2 or dist > R1:  # start just inside the disc, so no dark seam is left between them
                    continue
                a = fuerza * min(1.0, (R1 - dist) / (R1 - R0)) ** 2
                fondo = self.px[qx, py]
                self.px[qx, py] = tuple(int(fondo[i] + (color[i] - fondo[i]) * a) for i in range(3))

    def final(self):
        return self.img.resize((self.ancho, self.alto), Image.LANCZOS)


def mezclar(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def manchas(semilla, cuantas, radio_min, radio_max):
    azar = random.Random(semilla)
    return [(azar.uniform(-0.9, 0.9), azar.uniform(-0.9, 0.9), azar.uniform(radio_min, radio_max)) for _ in range(cuantas)]


def dentro(manchas_, u, v):
    return any((u - mu) ** 2 + (v - mv) ** 2 < mr * mr for mu, mv, mr in manchas_)


_RUIDOS = {}


def _rejilla(semilla):
    if semilla not in _RUIDOS:
        azar = random.Random(semilla)
        _RUIDOS[semilla] = [[azar.uniform(-1, 1) for _ in range(64)] for _ in range(64)]
    return _RUIDOS[semilla]


def ruido(u, v, semilla=0.0):
    """Smooth value noise from about -1 to 1: random values on a grid, blended smoothly, four octaves."""
    rejilla = _rejilla(semilla)
    total, peso, amplitud, escala = 0.0, 0.0, 1.0, 1.5
    for _ in range(4):
        x, y = u * escala + 17.3, v * escala + 23.9
        ix, iy = int(math.floor(x)), int(math.floor(y))
        fx, fy = x - ix, y - iy
        fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
        a = rejilla[iy % 64][ix % 64]
        b = rejilla[iy % 64][(ix + 1) % 64]
        c = rejilla[(iy + 1) % 64][ix % 64]
        d = rejilla[(iy + 1) % 64][(ix + 1) % 64]
        total += amplitud * (a + (b - a) * fx + (c - a) * fy + (a - b - c + d) * fx * fy)
        peso += amplitud
        amplitud *= 0.5
        escala *= 2.0
    return total / peso * 1.6


# ---------------------------------------------------------------------------------------------- saving


def guardar(img, ruta, formato, colores=None):
    os.makedirs(os.path.dirname(ruta), exist_ok=True)
    if formato == "BMP":
        img.convert("RGB").quantize(colors=colores or 256, method=Image.Quantize.MEDIANCUT).save(ruta, "BMP")
    elif formato == "GIF":
        img.convert("RGB").quantize(colors=colores or 64, method=Image.Quantize.MEDIANCUT,
                                    dither=Image.Dither.NONE).save(ruta, "GIF", optimize=True)
    elif formato == "PNG":
        if colores:
            img = img.convert("RGB").quantize(colors=colores, method=Image.Quantize.MEDIANCUT,
                                              dither=Image.Dither.NONE)
        img.save(ruta, "PNG", optimize=True)
    elif formato == "JPEG":
        img.convert("RGB").save(ruta, "JPEG", quality=80, optimize=True)
    print(f"{os.path.relpath(ruta, RAIZ):28} {os.path.getsize(ruta):7} bytes")


def guardar_icono(dibujos, ruta):
    """An .ico file with one 32-bit bitmap per size (the classic form every reader knows)."""
    entradas, datos = [], []
    desplazamiento = 6 + 16 * len(dibujos)
    for img in dibujos:
        img = img.convert("RGBA")
        w, h = img.size
        px = img.load()
        cabecera = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        color = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                color += bytes((b, g, r, a))
        fila = ((w + 31) // 32) * 4
        mascara = bytearray()
        for y in range(h - 1, -1, -1):
            bits = bytearray(fila)
            for x in range(w):
                if px[x, y][3] < 128:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mascara += bits
        bloque = cabecera + bytes(color) + bytes(mascara)
        entradas.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(bloque), desplazamiento))
        datos.append(bloque)
        desplazamiento += len(bloque)
    with open(ruta, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(dibujos)))
        for e in entradas:
            f.write(e)
        for b in datos:
            f.write(b)
    print(f"{os.path.relpath(ruta, RAIZ):28} {os.path.getsize(ruta):7} bytes")


# ---------------------------------------------------------------------------------------------- the solar system

CIELO = (8, 10, 24)
ETIQUETA = (214, 222, 240)


def planeta_liso(base, variacion=0.08, semilla=0.0):
    def color(u, v, x, y, z):
        k = 1 + variacion * ruido(u, v, semilla)
        return tuple(min(255, int(c * k)) for c in base)

    return color


def dibujar_orbitas():
    L = Lienzo(340, 300, CIELO)
    L.estrellas(140, 1)
    cx, cy = 170, 150
    L.halo(cx, cy, 9, (255, 200, 90), 16, 0.8)
    L.esfera(cx, cy, 10, lambda *a: (255, 226, 120), luz=(0, 0, 1), ambiente=1)
    planetas = [("Mercurio", 24, (170, 165, 160), 2.0, 15), ("Venus", 36, (232, 205, 150), 3.0, 150),
                ("Tierra", 49, (80, 140, 230), 3.2, 230), ("Marte", 62, (215, 95, 60), 2.6, 300),
                ("Júpiter", 92, (214, 180, 140), 6.5, 20), ("Saturno", 112, (226, 204, 150), 5.5, 200),
                ("Urano", 133, (150, 215, 225), 4.2, 115), ("Neptuno", 152, (80, 110, 230), 4.2, 320)]
    inclinacion = 0.72
    for nombre, r, _, _, _ in planetas:
        L.elipse(cx, cy, r, r * inclinacion, borde=(70, 84, 130), grosor=0.8)
    azar = random.Random(7)
    for _ in range(170):  # the asteroid belt
        a = azar.uniform(0, 2 * math.pi)
        rr = azar.uniform(71, 82)
        L.circulo(cx + rr * math.cos(a), cy + rr * inclinacion * math.sin(a), 0.5, relleno=(150, 140, 120))
    for nombre, r, color, tam, grados in planetas:
        a = math.radians(grados)
        x, y = cx + r * math.cos(a), cy + r * inclinacion * math.sin(a)
        if nombre == "Saturno":
            L.elipse(x, y, tam * 2.1, tam * 0.7, borde=(200, 185, 140), grosor=1.2)
        L.esfera(x, y, tam, planeta_liso(color), luz=(cx - x, cy - y, 40))
        dy = tam + 2 if y >= cy - 10 else -tam - 11
        L.texto(x, y + dy, nombre, ETIQUETA, 10, ancla="ma")
    L.texto(cx, cy - 13, "Sol", (255, 226, 140), 10, negrita=True, ancla="mb")
    return L.final()


def dibujar_tamanos():
    L = Lienzo(340, 300, CIELO)
    L.estrellas(90, 2)
    escala = 40 / 69911  # Jupiter's radius in km drawn as 40 pixels
    sol_r = 696000 * escala
    L.halo(170, -sol_r + 62, sol_r, (245, 150, 45), 14, 1.0)

    def sol(u, v, x, y, z):
        return mezclar((255, 238, 170), (250, 150, 40), 1 - z)

    L.esfera(170, -sol_r + 62, sol_r, sol, luz=(0, 0, 1), ambiente=1)
    L.texto(12, 12, "Sol", (70, 30, 0), 12, negrita=True)

    def bandas(claro, oscuro, n, semilla):
        def color(u, v, x, y, z):
            t = 0.5 + 0.5 * math.sin(v * n + 0.6 * ruido(u, v, semilla))
            return mezclar(claro, oscuro, t)

        return color

    fila1, fila2 = 130, 240
    pequenos = [("Mercurio", 2440, (165, 160, 155), 44), ("Venus", 6052, (230, 205, 150), 84),
                ("Tierra", 6371, (80, 140, 230), 124), ("Marte", 3390, (215, 95, 60), 164)]
    for nombre, km, color, x in pequenos:
        L.esfera(x, fila1, max(1.6, km * escala), planeta_liso(color))
        L.texto(x, fila1 + 10, nombre, ETIQUETA, 10, ancla="ma")
    L.esfera(260, fila1, 40, bandas((230, 205, 170), (170, 120, 85), 14, 1.0))
    L.elipse(272, fila1 + 12, 6, 3.5, relleno=(190, 95, 70))
    L.texto(260, fila1 + 44, "Júpiter", ETIQUETA, 10, ancla="ma")
    sx = 96
    satr = 58232 * escala
    saturno(L, sx, fila2, satr, 0.3)
    L.texto(sx, fila2 + 36, "Saturno", ETIQUETA, 10, ancla="ma")
    L.esfera(222, fila2, 25362 * escala, planeta_liso((160, 220, 228)))
    L.texto(222, fila2 + 20, "Urano", ETIQUETA, 10, ancla="ma")
    L.esfera(290, fila2, 24622 * escala, planeta_liso((70, 105, 225)))
    L.texto(290, fila2 + 20, "Neptuno", ETIQUETA, 10, ancla="ma")
    return L.final()


def dibujar_sol():
    L = Lienzo(224, 210, (6, 6, 14))
    L.estrellas(30, 3)
    cx, cy, r = 112, 105, 80
    L.halo(cx, cy, r, (240, 135, 35), 20, 1.0)
    manchas_ = [(0.25, -0.18, 0.07), (0.33, -0.12, 0.04), (-0.35, 0.3, 0.06), (-0.28, 0.35, 0.035),
                (0.05, 0.42, 0.03)]

    def sol(u, v, x, y, z):
        base = mezclar((255, 246, 190), (238, 120, 20), (1 - z) ** 0.8)
        base = tuple(min(255, int(c * (1 + 0.05 * ruido(u * 3, v * 3, 4.0)))) for c in base)
        for mu, mv, mr in manchas_:
            d = math.hypot(u - mu, v - mv)
            if d < mr * 0.55:
                return (60, 25, 5)
            if d < mr:
                return mezclar(base, (150, 70, 10), 0.7)
        return base

    L.esfera(cx, cy, r, sol, luz=(0, 0, 1), ambiente=1)
    return L.final()


def dibujar_capas():
    L = Lienzo(320, 280, (10, 8, 20))
    L.estrellas(50, 4)
    cx, cy = 120, 140
    L.halo(cx, cy, 104, (255, 190, 120), 26, 0.6)
    capas = [(106, (255, 150, 40)), (104, (245, 120, 25)), (82, (255, 175, 55)), (52, (255, 214, 110)),
             (26, (255, 250, 215))]
    for r, color in capas:
        L.circulo(cx, cy, r, relleno=color)
    azar = random.Random(9)
    for _ in range(90):  # convection cells
        a = azar.uniform(0, 2 * math.pi)
        rr = azar.uniform(84, 100)
        L.circulo(cx + rr * math.cos(a), cy + rr * math.sin(a), azar.uniform(2.5, 4.5), borde=(230, 110, 25),
                  grosor=0.8)
    rotulos = [("Corona", 110, -50), ("Fotosfera", 104, -25), ("Zona convectiva", 92, 0), ("Zona radiativa", 65, 25),
               ("Núcleo", 10, 50)]
    for texto, rr, dy in rotulos:
        x0, y0 = cx + rr * math.cos(math.radians(-20 + dy * 0.7)), cy + rr * math.sin(math.radians(-20 + dy * 0.7))
        L.linea([(x0, y0), (236, cy + dy)], (230, 230, 240), 0.8)
        L.circulo(x0, y0, 1.5, relleno=(255, 255, 255))
        L.texto(240, cy + dy, texto, ETIQUETA, 11, ancla="lm")
    return L.final()


def dibujar_mercurio():
    L = Lienzo(300, 280, (4, 4, 10))
    L.estrellas(60, 5)
    crateres = manchas(11, 70, 0.02, 0.13)

    def color(u, v, x, y, z):
        base = (150, 144, 138)
        k = 1 + 0.12 * ruido(u * 2, v * 2, 1.5)
        for mu, mv, mr in crateres:
            d = math.hypot(u - mu, v - mv) / mr
            if d < 1:
                k *= 0.82 + 0.1 * d if d < 0.8 else 1.12
                break
        return tuple(min(255, int(c * k)) for c in base)

    L.esfera(150, 140, 115, color, luz=(-0.7, -0.2, 0.55), ambiente=0.03)
    return L.final()


def color_tierra(u, v, x, y, z):
    tierra = ruido(u * 1.1 + 0.3 * ruido(u, v, 138), v * 1.1, 38)
    if tierra > 0.12:
        c = mezclar((70, 125, 55), (175, 150, 95), 0.5 + 0.8 * ruido(u * 3, v * 3, 32))
    else:
        c = mezclar((32, 84, 180), (18, 48, 125), 0.5 - 0.6 * ruido(u * 2, v * 2, 33))
    if abs(v) > 0.8 + 0.08 * ruido(u * 4, v * 4, 34):
        c = (236, 242, 248)
    nube = ruido(u * 1.6, v * 4.0, 35)
    if nube > 0.3:
        c = mezclar(c, (246, 248, 252), min(0.9, (nube - 0.3) * 3))
    return c


def dibujar_tierra():
    L = Lienzo(300, 280, (2, 4, 14))
    L.estrellas(60, 6)
    L.halo(150, 140, 112, (90, 150, 255), 8, 0.6)
    L.esfera(150, 140, 112, color_tierra, luz=(-0.6, -0.3, 0.6), ambiente=0.04)
    return L.final()


def dibujar_estaciones():
    L = Lienzo(340, 280, CIELO)
    L.estrellas(70, 8)
    cx, cy, rx, ry = 170, 140, 112, 74
    L.elipse(cx, cy, rx, ry, borde=(90, 105, 160), grosor=1)
    L.halo(cx, cy, 16, (255, 190, 70), 14, 0.8)
    L.esfera(cx, cy, 17, lambda *a: (255, 222, 110), luz=(0, 0, 1), ambiente=1)
    L.texto(cx, cy + 22, "Sol", (255, 226, 140), 11, negrita=True, ancla="ma")
    eje = (math.sin(math.radians(23.5)), -math.cos(math.radians(23.5)))
    posiciones = [("junio", 180, "verano en el norte"), ("septiembre", 270, ""), ("diciembre", 0, "invierno en el norte"),
                  ("marzo", 90, "")]
    for mes, grados, nota in posiciones:
        a = math.radians(grados)
        x, y = cx + rx * math.cos(a), cy + ry * math.sin(a)
        r = 13
        hacia_sol = (cx - x, cy - y)

        L.esfera(x, y, r, color_tierra, luz=(hacia_sol[0], hacia_sol[1], 8), ambiente=0.12)
        L.linea([(x - eje[0] * (r + 7), y - eje[1] * (r + 7)), (x + eje[0] * (r + 7), y + eje[1] * (r + 7))],
                (230, 230, 240), 1.2)
        dy = r + 4 if grados != 270 else -r - 30
        L.texto(x, y + dy, mes, ETIQUETA, 11, negrita=True, ancla="ma")
        if nota:
            L.texto(x, y + dy + 13, nota, (170, 180, 205), 9, ancla="ma")
    return L.final()


CRATERES_LUNA = manchas(52, 40, 0.015, 0.06)


def color_luna(u, v, x, y, z, claro=(205, 203, 196), oscuro=(112, 110, 108)):
    # The dark plains lie mostly on the upper left of the near side.
    m = ruido(u * 1.3, v * 1.3, 51) + 0.35 * (-u - v)
    c = mezclar(claro, oscuro, (m - 0.05) / 0.25)
    c = tuple(min(255, int(ch * (1 + 0.06 * ruido(u * 6, v * 6, 53)))) for ch in c)
    for mu, mv, mr in CRATERES_LUNA:
        d = math.hypot(u - mu, v - mv) / mr
        if d < 1:
            borde = tuple(min(255, int(ch * 1.25)) for ch in c)
            c = mezclar(c, borde if d > 0.7 else tuple(int(ch * 0.85) for ch in c), 0.6)
            break
    dt = math.hypot(u + 0.05, v - 0.7)  # Tycho and its bright rays
    claro_ = tuple(min(255, int(ch * 1.2)) for ch in claro)
    if dt < 0.05:
        c = claro_
    elif dt < 0.8:
        ang = math.atan2(v - 0.7, u + 0.05)
        if abs(math.sin(ang * 9)) > 0.99:
            c = mezclar(c, claro_, 0.3 * (1 - dt / 0.8))
    return c


def dibujar_luna():
    L = Lienzo(280, 280, (2, 2, 8))
    L.estrellas(40, 10)
    L.esfera(140, 140, 118, color_luna, luz=(0, 0, 1), ambiente=0.2)
    return L.final()


def dibujar_fases():
    L = Lienzo(340, 290, CIELO)
    L.estrellas(60, 12)
    cx, cy = 170, 150
    L.esfera(cx, cy, 16, color_tierra, luz=(-1, 0, 0.3), ambiente=0.12)
    L.texto(cx, cy + 20, "Tierra", ETIQUETA, 10, ancla="ma")
    L.texto(12, 10, "Luz del Sol", (255, 220, 130), 11, negrita=True)
    for i in range(5):
        y = 70 + i * 40
        L.linea([(8, y), (30, y)], (255, 210, 110), 1)
        L.poligono([(30, y - 3), (36, y), (30, y + 3)], relleno=(255, 210, 110))
    nombres = ["Luna nueva", "", "Cuarto creciente", "", "Luna llena", "", "Cuarto menguante", ""]
    for i in range(8):
        # Position round the Earth (the Sun is to the left); phase angle 0 = new moon, between Sun and Earth.
        fase = i * math.pi / 4
        a = math.pi + fase
        x, y = cx + 105 * math.cos(a), cy - 105 * math.sin(a) * 0.95
        s = (math.sin(fase), 0.0, -math.cos(fase))  # the Sun as seen from the Earth looking at the Moon

        def color(u, v, xx, yy, z, s=s):
            luz = xx * s[0] + yy * s[1] + z * s[2]
            base = color_luna(u, v, xx, yy, z)
            return base if luz > 0 else tuple(int(c * 0.14) for c in base)

        L.esfera(x, y, 17, color, luz=(0, 0, 1), ambiente=1)
        if nombres[i]:
            dy = 21 if i != 2 else -33
            L.texto(x, y + dy, nombres[i], ETIQUETA, 10, ancla="ma")
    return L.final()


def dibujar_marte():
    L = Lienzo(300, 280, (3, 3, 8))
    L.estrellas(60, 13)
    oscuras = [(-0.1, 0.05, 0.22), (0.2, 0.15, 0.16), (-0.45, -0.1, 0.14), (0.4, -0.25, 0.12), (0.0, 0.45, 0.15)]

    def color(u, v, x, y, z):
        if v < -0.82 + 0.05 * math.sin(u * 12):
            return (245, 240, 235)
        c = mezclar((214, 112, 62), (236, 150, 90), 0.5 + 0.5 * ruido(u * 3, v * 3, 6.0))
        m = min((math.hypot(u - mu, v - mv) - mr) / mr for mu, mv, mr in oscuras) + 0.4 * ruido(u * 4, v * 4, 7.0)
        if m < 0:
            c = mezclar(c, (120, 60, 40), min(1.0, -m * 2))
        if abs(v - 0.12 - 0.1 * u + 0.02 * ruido(u * 8, v, 8.0)) < 0.01 and -0.6 < u < 0.3:  # the long canyons
            c = mezclar(c, (110, 55, 35), 0.6)
        return c

    L.halo(150, 140, 112, (230, 140, 110), 5, 0.4)
    L.esfera(150, 140, 112, color, luz=(-0.55, -0.35, 0.6), ambiente=0.04)
    return L.final()


def bandas_jupiter(u, v, x, y, z):
    t = v + 0.04 * ruido(u * 3, v * 6, 3.0)
    franjas = [(-1.0, (200, 190, 175)), (-0.62, (185, 150, 120)), (-0.45, (235, 225, 205)), (-0.3, (170, 120, 85)),
               (-0.12, (240, 232, 215)), (0.1, (175, 125, 90)), (0.28, (236, 222, 200)), (0.45, (185, 140, 105)),
               (0.62, (225, 210, 190)), (1.01, (200, 190, 175))]
    for i in range(len(franjas) - 1):
        if franjas[i][0] <= t < franjas[i + 1][0]:
            a, b = franjas[i][1], franjas[i + 1][1]
            c = mezclar(a, b, ((t - franjas[i][0]) / (franjas[i + 1][0] - franjas[i][0])) ** 3)
            break
    else:
        c = franjas[-1][1]
    gm = ((u - 0.28) / 0.2) ** 2 + ((v - 0.2) / 0.11) ** 2
    if gm < 1:
        c = mezclar((200, 85, 60), c, gm ** 2)
    return c


def dibujar_jupiter():
    L = Lienzo(340, 280, CIELO)
    L.estrellas(70, 14)
    L.esfera(170, 135, 92, bandas_jupiter, luz=(-0.4, -0.2, 0.9), ambiente=0.05)
    lunas = [("Calisto", 30, (150, 140, 125), 5.5), ("Ganímedes", 92, (175, 165, 150), 6.5),
             ("Ío", 252, (230, 200, 90), 4.5), ("Europa", 310, (225, 215, 195), 4.0)]
    for nombre, x, color, r in lunas:
        L.esfera(x, 252, r, planeta_liso(color, 0.15, x), luz=(-0.4, -0.2, 0.9))
        L.texto(x, 262, nombre, ETIQUETA, 10, ancla="ma")
    return L.final()


def saturno(L, cx, cy, r, inclin):
    """Saturn with its rings: the rings behind the planet, the planet, then the rings in front of it."""

    def anillo_en(rr):
        if 1.24 * r <= rr <= 1.52 * r:
            return (150, 135, 110)
        if 1.52 * r < rr <= 1.95 * r:
            return mezclar((225, 210, 170), (200, 182, 140), (rr / r - 1.52) / 0.43)
        if 2.0 * r <= rr <= 2.25 * r:
            return (196, 182, 150)
        return None

    def bandas(u, v, x, y, z):
        t = 0.5 + 0.5 * math.sin(v * 11 + 0.3 * ruido(u, v, 2))
        return mezclar((240, 222, 175), (205, 175, 120), t * 0.7)

    px = L.px
    for fase in ("detras", "planeta", "delante"):
        if fase == "planeta":
            L.esfera(cx, cy, r, bandas, luz=(-0.4, -0.35, 0.85), ambiente=0.05)
            continue
        for py in range(int((cy - 2.3 * r * inclin) * S), int((cy + 2.3 * r * inclin) * S) + 1):
            for qx in range(int((cx - 2.3 * r) * S), int((cx + 2.3 * r) * S) + 1):
                if not (0 <= qx < L.ancho * S and 0 <= py < L.alto * S):
                    continue
                dx, dy = qx / S - cx, (py / S - cy) / inclin
                c = anillo_en(math.hypot(dx, dy))
                if c is None:
                    continue
                delante = dy > 0
                if (fase == "delante") != delante:
                    continue
                if fase == "detras" and math.hypot(qx / S - cx, py / S - cy) < r:
                    continue
                px[qx, py] = c


def dibujar_saturno():
    L = Lienzo(340, 280, CIELO)
    L.estrellas(70, 15)
    saturno(L, 170, 140, 68, 0.34)
    return L.final()


def dibujar_urano():
    L = Lienzo(280, 280, CIELO)
    L.estrellas(60, 16)
    cx, cy, r = 140, 140, 70
    # Nearly upright rings, seen almost face-on.
    for rr in (112, 104, 98):
        L.elipse(cx, cy, rr * 0.45, rr, borde=(110, 140, 150), grosor=0.8)
    L.esfera(cx, cy, r, planeta_liso((165, 222, 228), 0.04, 3.0), luz=(-0.3, -0.2, 0.95), ambiente=0.08)
    for rr in (112, 104, 98):  # the near half of the rings, in front of the planet
        L.d.arc(L.caja(cx - rr * 0.45, cy - rr, cx + rr * 0.45, cy + rr), 90, 270, fill=(120, 150, 160),
                width=int(0.8 * S))
    for x, y, rl in ((40, 70, 3), (235, 200, 3.5), (60, 230, 2.5), (225, 60, 2.5)):
        L.esfera(x, y, rl, planeta_liso((190, 185, 180)))
    return L.final()


def dibujar_neptuno():
    L = Lienzo(280, 280, (2, 3, 12))
    L.estrellas(50, 17)

    def color(u, v, x, y, z):
        c = mezclar((50, 90, 215), (30, 60, 170), 0.5 + 0.5 * math.sin(v * 9 + 0.4 * ruido(u, v, 1.0)))
        mancha = ((u + 0.2) / 0.22) ** 2 + ((v + 0.25) / 0.12) ** 2
        if mancha < 1:
            c = mezclar((15, 25, 90), c, mancha ** 2)
        if abs(v + 0.1 - 0.05 * math.sin(u * 6)) < 0.02 and -0.05 < u < 0.25:
            c = mezclar(c, (230, 235, 250), 0.55)
        if abs(v - 0.35 - 0.05 * math.sin(u * 5)) < 0.015 and -0.4 < u < 0.1:
            c = mezclar(c, (210, 220, 245), 0.45)
        return c

    L.esfera(140, 140, 112, color, luz=(-0.5, -0.3, 0.8), ambiente=0.04)
    return L.final()


def dibujar_cielo():
    """Side picture of the introduction: a night sky with the Milky Way."""
    L = Lienzo(441, 537, (0, 0, 0))
    L.degradado_vertical((14, 18, 44), (2, 3, 10))
    azar = random.Random(18)
    for _ in range(2600):  # the band of the Milky Way
        t = azar.uniform(-0.1, 1.1)
        x = t * 441 + azar.gauss(0, 40)
        y = 537 - t * 537 + azar.gauss(0, 40)
        L.circulo(x, y, azar.uniform(0.3, 0.55), relleno=mezclar((40, 44, 70), (150, 150, 175), azar.random()))
    L.img = L.img.filter(ImageFilter.GaussianBlur(1.2 * S))
    L.d = ImageDraw.Draw(L.img)
    L.px = L.img.load()
    L.estrellas(520, 19)
    return L.final()


def dibujar_cometa():
    """Side picture of the article on comets: a comet crossing the night sky."""
    L = Lienzo(441, 537, (0, 0, 0))
    L.degradado_vertical((10, 14, 38), (0, 0, 6))
    L.estrellas(260, 20)
    cabeza = (300, 380)
    # Dust tail: a broad, curved, yellowish fan.
    for i in range(140, 0, -1):
        t = i / 140
        x = cabeza[0] - 290 * t - 40 * t * t
        y = cabeza[1] - 360 * t + 80 * t * t
        L.circulo(x, y, 4 + 50 * t, relleno=mezclar((14, 16, 36), (150, 140, 110), (1 - t) ** 1.6 * 0.9))
    L.img = L.img.filter(ImageFilter.GaussianBlur(6 * S))
    L.d = ImageDraw.Draw(L.img)
    L.px = L.img.load()
    # Ion tail: straight, thin and blue.
    for i in range(100, 0, -1):
        t = i / 100
        x, y = cabeza[0] - 250 * t, cabeza[1] - 380 * t
        L.circulo(x, y, 2 + 10 * t, relleno=mezclar((20, 30, 70), (120, 170, 255), (1 - t) ** 1.4))
    L.img = L.img.filter(ImageFilter.GaussianBlur(2.5 * S))
    L.d = ImageDraw.Draw(L.img)
    L.px = L.img.load()
    L.estrellas(60, 21)
    L.halo(cabeza[0], cabeza[1], 4, (210, 230, 255), 26, 0.9)
    L.circulo(cabeza[0], cabeza[1], 5, relleno=(250, 252, 255))
    return L.final()


def dibujar_eclipse():
    L = Lienzo(360, 260, CIELO)
    L.estrellas(50, 22)
    sol = (40, 130, 75)
    luna = (215, 130, 9)
    tierra = (320, 130, 34)
    L.halo(sol[0], sol[1], sol[2], (255, 180, 60), 10, 0.7)
    L.esfera(sol[0], sol[1], sol[2], lambda *a: (255, 214, 100), luz=(0, 0, 1), ambiente=1)
    # Penumbra (outer tangents) and umbra (inner tangents), drawn as polygons from the Moon to the Earth.
    sx, sy, sr = sol
    lx, ly, lr = luna
    arriba = (lx, ly - lr)
    abajo = (lx, ly + lr)
    pend_ext = (lr + sr) / (lx - sx)
    pend_int = (sr - lr) / (lx - sx)
    ancho = tierra[0] + 10 - lx
    L.poligono([arriba, (lx + ancho, ly - lr - pend_ext * ancho), (lx + ancho, ly + lr + pend_ext * ancho), abajo],
               relleno=(58, 62, 90))
    # The umbra, narrowing to a point on the Earth's surface.
    L.poligono([arriba, (tierra[0] - tierra[2] + 5, ly), abajo], relleno=(20, 20, 32))
    L.esfera(tierra[0], tierra[1], tierra[2], color_tierra, luz=(-1, 0, 0.2), ambiente=0.1)
    L.circulo(tierra[0] - tierra[2] + 4, tierra[1], 2.5, relleno=(10, 10, 16))
    L.esfera(lx, ly, lr, planeta_liso((200, 198, 190)), luz=(-1, 0, 0.2), ambiente=0.1)
    for x0, y0, x1, y1 in ((sx + 30, sy - 60, lx, ly - lr), (sx + 30, sy + 60, lx, ly + lr)):
        L.linea([(x0, y0), (x1, y1)], (255, 220, 130), 0.7)
    L.texto(sx, sy + sr + 4, "Sol", (255, 226, 140), 12, negrita=True, ancla="ma")
    L.texto(lx, ly + 18, "Luna", ETIQUETA, 11, negrita=True, ancla="ma")
    L.texto(tierra[0], tierra[1] + tierra[2] + 6, "Tierra", ETIQUETA, 11, negrita=True, ancla="ma")
    L.linea([(250, 131), (258, 160)], (200, 200, 220), 0.7)
    L.texto(258, 162, "umbra", (200, 200, 220), 10, ancla="ma")
    L.texto(265, 76, "penumbra", (200, 200, 220), 10, ancla="ma")
    L.texto(180, 238, "(sin escala)", (150, 155, 180), 9, ancla="ma")
    return L.final()


def dibujar_corona():
    L = Lienzo(300, 280, (0, 0, 0))
    L.degradado_vertical((10, 14, 34), (4, 6, 18))
    cx, cy, r = 150, 140, 58
    azar = random.Random(23)
    for _ in range(60):  # streamers
        a = azar.uniform(0, 2 * math.pi)
        largo = azar.uniform(40, 120) * (1.3 if abs(math.sin(a)) < 0.5 else 0.8)
        for paso in range(30):
            t = paso / 30
            rr = r + largo * t
            L.circulo(cx + rr * math.cos(a), cy + rr * math.sin(a), 6 * (1 - t) + 2,
                      relleno=mezclar((20, 24, 46), (235, 238, 250), (1 - t) ** 2 * 0.5))
    L.img = L.img.filter(ImageFilter.GaussianBlur(4 * S))
    L.d = ImageDraw.Draw(L.img)
    L.px = L.img.load()
    L.halo(cx, cy, r, (250, 250, 255), 14, 0.95)
    L.circulo(cx, cy, r + 0.5, relleno=(2, 2, 4))
    for a, h in ((200, 6), (40, 4), (300, 5)):  # red prominences at the edge
        ar = math.radians(a)
        L.circulo(cx + (r + 1) * math.cos(ar), cy + (r + 1) * math.sin(ar), h, relleno=(235, 70, 90))
    L.circulo(cx, cy, r, relleno=(2, 2, 4))
    L.estrellas(12, 24)
    return L.final()


def dibujar_luna_roja():
    L = Lienzo(280, 280, (2, 2, 6))
    L.estrellas(90, 25)

    def color(u, v, x, y, z):
        c = color_luna(u, v, x, y, z, claro=(180, 80, 45), oscuro=(110, 45, 28))
        borde = max(0.0, (u - 0.2) * 0.8)  # one side a little brighter, nearer the edge of the shadow
        return mezclar(c, (220, 130, 80), borde)

    L.halo(140, 140, 104, (120, 40, 20), 6, 0.4)
    L.esfera(140, 140, 104, color, luz=(0.3, 0, 1), ambiente=0.5)
    return L.final()


def icono_solar(tam):
    img = Image.new("RGBA", (tam * 4, tam * 4), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    c = tam * 2
    for i in range(12):
        a = i * math.pi / 6
        d.polygon([(c + math.cos(a - 0.16) * tam * 1.05, c + math.sin(a - 0.16) * tam * 1.05),
                   (c + math.cos(a) * tam * 1.9, c + math.sin(a) * tam * 1.9),
                   (c + math.cos(a + 0.16) * tam * 1.05, c + math.sin(a + 0.16) * tam * 1.05)],
                  fill=(245, 140, 20, 255))
    d.ellipse([c - tam * 1.2, c - tam * 1.2, c + tam * 1.2, c + tam * 1.2], fill=(255, 205, 40, 255),
              outline=(220, 110, 10, 255), width=max(1, tam // 10))
    # A small ringed planet in front.
    px, py, pr = c + tam * 0.75, c + tam * 0.8, tam * 0.55
    d.ellipse([px - pr * 1.9, py - pr * 0.55, px + pr * 1.9, py + pr * 0.55], outline=(30, 40, 90, 255),
              width=max(2, tam // 7))
    d.ellipse([px - pr, py - pr, px + pr, py + pr], fill=(60, 110, 210, 255), outline=(25, 35, 90, 255),
              width=max(1, tam // 12))
    return img.resize((tam, tam), Image.LANCZOS)


def icono_rios(tam):
    img = Image.new("RGBA", (tam * 4, tam * 4), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    T = tam * 4
    d.rounded_rectangle([T * 0.04, T * 0.04, T * 0.96, T * 0.96], radius=T * 0.18, fill=(214, 236, 222, 255),
                        outline=(30, 90, 100, 255), width=max(2, T // 24))
    d.polygon([(T * 0.08, T * 0.55), (T * 0.32, T * 0.22), (T * 0.5, T * 0.42), (T * 0.68, T * 0.18),
               (T * 0.92, T * 0.5), (T * 0.92, T * 0.9), (T * 0.08, T * 0.9)], fill=(120, 170, 110, 255))
    puntos = []
    for i in range(41):
        t = i / 40
        puntos.append((T * (0.1 + 0.8 * t), T * (0.62 + 0.12 * math.sin(t * math.pi * 3))))
    d.line(puntos, fill=(30, 110, 200, 255), width=max(3, T // 9), joint="curve")
    return img.resize((tam, tam), Image.LANCZOS)


# ---------------------------------------------------------------------------------------------- the rivers

# Coast of the Iberian Peninsula, as (longitude, latitude), clockwise from the Cap de Creus.
COSTA = [(3.3, 42.3), (3.2, 41.9), (2.2, 41.4), (1.2, 41.1), (0.9, 40.7), (0.4, 40.2), (-0.3, 39.5), (0.2, 38.8),
         (-0.5, 38.3), (-0.7, 37.6), (-1.6, 37.3), (-2.2, 36.7), (-3.5, 36.7), (-4.4, 36.7), (-5.3, 36.2),
         (-5.6, 36.0), (-6.3, 36.5), (-6.4, 36.8), (-7.0, 37.2), (-7.9, 37.0), (-9.0, 37.0), (-8.8, 38.0),
         (-9.2, 38.4), (-9.5, 38.8), (-9.4, 39.4), (-8.9, 40.2), (-8.7, 41.2), (-8.9, 41.9), (-8.9, 42.4),
         (-9.3, 42.9), (-8.4, 43.4), (-7.7, 43.8), (-6.0, 43.6), (-4.5, 43.4), (-3.8, 43.5), (-2.9, 43.4),
         (-1.8, 43.4), (-1.0, 43.0), (0.0, 42.7), (1.5, 42.5), (3.2, 42.4)]
FRONTERA = [(-8.9, 41.9), (-8.2, 42.1), (-7.2, 41.9), (-6.6, 41.9), (-6.9, 41.5), (-6.8, 41.0), (-6.9, 40.3),
            (-7.0, 39.7), (-7.3, 39.4), (-7.0, 38.9), (-7.3, 38.4), (-7.1, 38.1), (-7.5, 37.5), (-7.4, 37.2)]
RIOS = {
    "Ebro": [(-4.2, 43.0), (-3.0, 42.7), (-2.4, 42.5), (-1.6, 42.1), (-0.9, 41.65), (-0.1, 41.25), (0.5, 40.8),
             (0.85, 40.7)],
    "Tajo": [(-1.7, 40.4), (-2.6, 40.6), (-3.6, 40.05), (-4.0, 39.85), (-4.8, 39.95), (-6.0, 39.75),
             (-6.9, 39.65), (-7.9, 39.45), (-8.7, 39.2), (-9.1, 38.75)],
    "Guadalquivir": [(-2.9, 37.9), (-3.4, 38.0), (-4.05, 38.05), (-4.8, 37.88), (-5.5, 37.55), (-6.0, 37.35),
                     (-6.2, 37.0), (-6.38, 36.8)],
    "Miño": [(-7.3, 43.2), (-7.55, 43.0), (-7.7, 42.6), (-7.9, 42.35), (-8.3, 42.15), (-8.65, 42.05),
             (-8.87, 41.88)],
    "Duero": [(-2.85, 41.95), (-2.5, 41.75), (-3.7, 41.65), (-5.0, 41.5), (-5.75, 41.5), (-6.5, 41.2),
              (-7.6, 41.1), (-8.65, 41.15)],
}


def dibujar_mapa():
    L = Lienzo(330, 290, (176, 212, 232))
    x0, x1, y1, y0 = -10.0, 4.0, 44.2, 35.6

    def p(lon, lat):
        return (12 + (lon - x0) / (x1 - x0) * 306 * 1.0, 8 + (y1 - lat) / (y1 - y0) * 274)

    # A few faint lines of latitude over the sea, like an old map.
    for lat in (37, 39, 41, 43):
        y = p(0, lat)[1]
        L.linea([(0, y), (330, y)], (160, 198, 222), 0.6)
    L.poligono([p(*c) for c in COSTA], relleno=(238, 228, 196), borde=(120, 110, 90), grosor=1)
    L.linea([p(*c) for c in FRONTERA], (170, 150, 130), 0.8)
    for nombre, curso in RIOS.items():
        principal = nombre != "Duero"
        L.linea([p(*c) for c in curso], (40, 110, 200) if principal else (110, 150, 200), 2.2 if principal else 1.4)
    rotulos = [("Ebro", (-1.6, 42.35), "ma"), ("Tajo", (-5.5, 39.6), "mt"), ("Guadalquivir", (-4.4, 37.75), "mt"),
               ("Miño", (-7.35, 42.45), "lm"), ("Duero", (-4.3, 41.75), "mb")]
    for nombre, lugar, ancla in rotulos:
        x, y = p(*lugar)
        L.texto(x, y, nombre, (20, 70, 150), 11, negrita=nombre != "Duero", ancla=ancla)
    ciudades = [("Zaragoza", (-0.88, 41.65), "lt"), ("Toledo", (-4.02, 39.86), "mt"), ("Sevilla", (-5.99, 37.38), "rb"),
                ("Lisboa", (-9.14, 38.72), "lt"), ("Madrid", (-3.7, 40.42), "lb")]
    for nombre, lugar, ancla in ciudades:
        x, y = p(*lugar)
        L.circulo(x, y, 2, relleno=(90, 50, 40))
        L.texto(x + (3 if ancla[0] == "l" else -3 if ancla[0] == "r" else 0), y + 2, nombre, (80, 50, 40), 9,
                ancla=ancla)
    L.texto(p(-9.3, 36.6)[0], p(-9.3, 36.6)[1], "Océano", (70, 110, 150), 11, ancla="mm")
    L.texto(p(-9.3, 36.6)[0], p(-9.3, 36.6)[1] + 13, "Atlántico", (70, 110, 150), 11, ancla="mm")
    L.texto(p(1.8, 39.6)[0], p(1.8, 39.6)[1], "Mar", (70, 110, 150), 11, ancla="mm")
    L.texto(p(1.8, 39.6)[0], p(1.8, 39.6)[1] + 13, "Mediterráneo", (70, 110, 150), 11, ancla="mm")
    return L.final()


def en_poligono(puntos, x, y):
    dentro_ = False
    j = len(puntos) - 1
    for i in range(len(puntos)):
        (xi, yi), (xj, yj) = puntos[i], puntos[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            dentro_ = not dentro_
        j = i
    return dentro_


def dibujar_delta():
    L = Lienzo(320, 280, (150, 196, 222))
    # Land from the west, the delta pushing into the sea with its two hooked sand spits.
    tierra = [(0, 0), (120, 0), (135, 40), (150, 70), (175, 92), (200, 88), (222, 78), (228, 92), (210, 102),
              (196, 108), (214, 122), (250, 128), (282, 134), (288, 146), (262, 152), (226, 160), (208, 176),
              (196, 196), (206, 216), (232, 228), (262, 232), (270, 244), (240, 246), (200, 238), (178, 222),
              (160, 210), (130, 214), (100, 230), (60, 250), (0, 262)]
    L.poligono(tierra, relleno=(206, 214, 160), borde=(140, 140, 100), grosor=1)
    azar = random.Random(26)
    colocados = 0
    while colocados < 60:  # rice fields, only on land
        x, y = azar.uniform(140, 250), azar.uniform(95, 215)
        w, h = azar.uniform(8, 18), azar.uniform(5, 10)
        if not all(en_poligono(tierra, px_, py_) for px_, py_ in ((x, y), (x + w, y), (x, y + h), (x + w, y + h))):
            continue
        colocados += 1
        L.d.rectangle(L.caja(x, y, x + w, y + h), fill=azar.choice([(150, 190, 90), (170, 200, 110), (130, 175, 85)]))
    L.poligono(tierra, borde=(140, 140, 100), grosor=1)
    for x, y, rx, ry in ((170, 112, 9, 5), (205, 200, 11, 6), (232, 150, 8, 4)):  # lagoons
        L.elipse(x, y, rx, ry, relleno=(120, 175, 205))
    L.linea([(0, 120), (40, 128), (80, 126), (120, 136), (160, 140), (200, 140), (240, 140), (286, 141)],
            (50, 120, 200), 4)
    L.linea([(0, 12), (30, 40), (20, 80)], (120, 110, 90), 1)
    L.texto(60, 110, "Ebro", (30, 80, 160), 13, negrita=True, ancla="mb")
    L.texto(210, 60, "Punta del Fangar", (50, 60, 70), 10, ancla="mb")
    L.texto(255, 262, "Punta de la Banya", (50, 60, 70), 10, ancla="mb")
    L.texto(280, 190, "Mar", (60, 100, 140), 12, ancla="mm")
    L.texto(280, 204, "Mediterráneo", (60, 100, 140), 12, ancla="mm")
    L.texto(120, 252, "Bahía de los Alfaques", (60, 100, 140), 9, ancla="mm")
    L.texto(110, 190, "arrozales", (80, 100, 50), 10, ancla="mm")
    return L.final()


def main():
    solar = os.path.join(RAIZ, "SOLAR")
    rios = os.path.join(RAIZ, "RIOS")
    img = os.path.join(solar, "IMG")
    guardar(dibujar_orbitas(), os.path.join(img, "ORBITAS.PNG"), "PNG", 96)
    guardar(dibujar_tamanos(), os.path.join(img, "TAMANOS.GIF"), "GIF", 64)
    guardar(dibujar_cielo(), os.path.join(img, "CIELO.JPG"), "JPEG")
    guardar(dibujar_sol(), os.path.join(img, "SOL.BMP"), "BMP")
    guardar(dibujar_capas(), os.path.join(img, "CAPAS.PNG"), "PNG", 64)
    guardar(dibujar_mercurio(), os.path.join(img, "MERCURIO.JPG"), "JPEG")
    guardar(dibujar_tierra(), os.path.join(img, "TIERRA.JPG"), "JPEG")
    guardar(dibujar_estaciones(), os.path.join(img, "ESTACION.PNG"), "PNG", 96)
    guardar(dibujar_luna(), os.path.join(img, "LUNA.GIF"), "GIF", 48)
    guardar(dibujar_fases(), os.path.join(img, "FASES.PNG"), "PNG", 64)
    guardar(dibujar_marte(), os.path.join(img, "MARTE.JPG"), "JPEG")
    guardar(dibujar_jupiter(), os.path.join(img, "JUPITER.PNG"), "PNG", 128)
    guardar(dibujar_saturno(), os.path.join(img, "SATURNO.PNG"), "PNG", 128)
    guardar(dibujar_urano(), os.path.join(img, "URANO.GIF"), "GIF", 64)
    guardar(dibujar_neptuno(), os.path.join(img, "NEPTUNO.JPG"), "JPEG")
    guardar(dibujar_cometa(), os.path.join(img, "COMETA.JPG"), "JPEG")
    guardar(dibujar_eclipse(), os.path.join(img, "ECLIPSE.GIF"), "GIF", 64)
    guardar(dibujar_corona(), os.path.join(img, "CORONA.JPG"), "JPEG")
    guardar(dibujar_luna_roja(), os.path.join(img, "LUNAROJA.PNG"), "PNG", 64)
    guardar_icono([icono_solar(t) for t in (32, 16)], os.path.join(solar, "ICONO.ICO"))
    guardar(dibujar_mapa(), os.path.join(rios, "IMG", "MAPA.PNG"), "PNG", 64)
    guardar(dibujar_delta(), os.path.join(rios, "IMG", "DELTA.GIF"), "GIF", 48)
    guardar_icono([icono_rios(t) for t in (32, 16)], os.path.join(rios, "ICONO.ICO"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
