/* Texts of dustclean alone; the shared ones are in resources/common/kx_text.h. Its
   settings keys have fixed English names (written by the code, not the string table);
   10001, the section name, is the product name and stays as it is. */
#ifndef DUSTCLEAN_TEXT_H
#define DUSTCLEAN_TEXT_H

#define TX_RADIUS_en "Radius"
#define TX_RADIUS_de "Radius"
#define TX_RADIUS_fr "Rayon"
#define TX_RADIUS_it "Raggio"
#define TX_RADIUS_ja "半径"
#define TX_RADIUS_pt "Raio"
#define TX_RADIUS_es "Radio"

/* The threshold a median must pass before it replaces a pixel. */
#define TX_LEVELS_en "Levels"
#define TX_LEVELS_de "Schwelle"
#define TX_LEVELS_fr "Seuil"
#define TX_LEVELS_it "Soglia"
#define TX_LEVELS_ja "しきい値"
#define TX_LEVELS_pt "Limiar"
#define TX_LEVELS_es "Umbral"

#define TX_ABOUT_en "Kestrix Dustclean 1.0\n\nPaint dust and scratches away with the pen: a pixel takes the median of its neighbourhood only where the two differ by more than the level, so texture and edges stay.\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_de "Kestrix Dustclean 1.0\n\nMalen Sie Staub und Kratzer mit dem Stift weg: Ein Pixel übernimmt den Median seiner Umgebung nur, wo beide mehr als die Schwelle abweichen; Struktur und Kanten bleiben.\n\nCopyright 2026 die Kestrix-Entwickler."
#define TX_ABOUT_fr "Kestrix Dustclean 1.0\n\nEffacez poussières et rayures au stylet : un pixel prend la médiane de son voisinage seulement si l'écart dépasse le seuil ; textures et contours restent.\n\nCopyright 2026 les développeurs de Kestrix."
#define TX_ABOUT_it "Kestrix Dustclean 1.0\n\nCancellate polvere e graffi con la penna: un pixel prende la mediana dei vicini solo dove i due differiscono oltre la soglia, così trame e bordi restano.\n\nCopyright 2026 gli sviluppatori di Kestrix."
#define TX_ABOUT_ja "Kestrix Dustclean 1.0\n\nペンでほこりや傷を消します。周囲のメディアンとの差がしきい値を超える画素だけを置き換えるので、質感や輪郭は残ります。\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_pt "Kestrix Dustclean 1.0\n\nApague poeira e riscos com a caneta: um pixel assume a mediana da vizinhança só onde os dois diferem mais que o limiar, preservando texturas e bordas.\n\nCopyright 2026 os desenvolvedores do Kestrix."
#define TX_ABOUT_es "Kestrix Dustclean 1.0\n\nElimine polvo y arañazos con el lápiz: un píxel toma la mediana de su entorno solo donde ambos difieren más que el umbral; texturas y bordes se conservan.\n\nCopyright 2026 los desarrolladores de Kestrix."

#define TX_ABOUTTITLE_en "About Kestrix Dustclean"
#define TX_ABOUTTITLE_de "Über Kestrix Dustclean"
#define TX_ABOUTTITLE_fr "À propos de Kestrix Dustclean"
#define TX_ABOUTTITLE_it "Informazioni su Kestrix Dustclean"
#define TX_ABOUTTITLE_ja "Kestrix Dustclean について"
#define TX_ABOUTTITLE_pt "Sobre o Kestrix Dustclean"
#define TX_ABOUTTITLE_es "Acerca de Kestrix Dustclean"

#endif
