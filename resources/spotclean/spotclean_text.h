/* Texts of spotclean alone; the shared ones are in resources/common/kx_text.h.
   10001..10013 are the section and key names of the settings file, loaded from the string
   table, so a German installation writes German keys. 10001 is the product name and stays
   as it is; "Parameters"/"NoTilt" (10014/10015) name the tablet driver's own keys and are
   never translated. Keys stay under 40 characters. */
#ifndef SPOTCLEAN_TEXT_H
#define SPOTCLEAN_TEXT_H

#define TX_ABOUT_en "Kestrix Spotclean 1.0\n\nPaint specks, dust and scratches away with the pen: a median filter under the brush, the eraser end paints the original back.\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_de "Kestrix Spotclean 1.0\n\nMalen Sie Flecken, Staub und Kratzer mit dem Stift weg: ein Medianfilter unter dem Pinsel, das Radiererende malt das Original zurück.\n\nCopyright 2026 die Kestrix-Entwickler."
#define TX_ABOUT_fr "Kestrix Spotclean 1.0\n\nEffacez taches, poussières et rayures au stylet : un filtre médian sous le pinceau, la gomme du stylet repeint l'original.\n\nCopyright 2026 les développeurs de Kestrix."
#define TX_ABOUT_it "Kestrix Spotclean 1.0\n\nCancellate macchie, polvere e graffi con la penna: un filtro mediano sotto il pennello, la gomma della penna ridipinge l'originale.\n\nCopyright 2026 gli sviluppatori di Kestrix."
#define TX_ABOUT_ja "Kestrix Spotclean 1.0\n\nペンでしみ、ほこり、傷を消します。ブラシの下にメディアンフィルタをかけ、ペンの消しゴム側で元の画像を描き戻します。\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_pt "Kestrix Spotclean 1.0\n\nApague manchas, poeira e riscos com a caneta: um filtro de mediana sob o pincel; a borracha da caneta pinta o original de volta.\n\nCopyright 2026 os desenvolvedores do Kestrix."
#define TX_ABOUT_es "Kestrix Spotclean 1.0\n\nElimine manchas, polvo y arañazos con el lápiz: un filtro de mediana bajo el pincel; el borrador del lápiz vuelve a pintar el original.\n\nCopyright 2026 los desarrolladores de Kestrix."

#define TX_ABOUTTITLE_en "About Kestrix Spotclean"
#define TX_ABOUTTITLE_de "Über Kestrix Spotclean"
#define TX_ABOUTTITLE_fr "À propos de Kestrix Spotclean"
#define TX_ABOUTTITLE_it "Informazioni su Kestrix Spotclean"
#define TX_ABOUTTITLE_ja "Kestrix Spotclean について"
#define TX_ABOUTTITLE_pt "Sobre o Kestrix Spotclean"
#define TX_ABOUTTITLE_es "Acerca de Kestrix Spotclean"

#endif
