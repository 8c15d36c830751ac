/* Texts of texturer alone; those it shares with gilder are in resources/common/texture_text.h,
   those of every module in kx_text.h. */
#ifndef TEXTURER_TEXT_H
#define TEXTURER_TEXT_H

#define TX_ABOUT_en "Kestrix Texturer 1.0\n\nPaint one of six textures into the picture with the pen, scaled, hue-rotated and brightened as you choose; the eraser end paints the original back.\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_de "Kestrix Texturer 1.0\n\nMalen Sie mit dem Stift eine von sechs Texturen ins Bild, skaliert, im Farbton gedreht und aufgehellt nach Wahl; das Radiererende malt das Original zurück.\n\nCopyright 2026 die Kestrix-Entwickler."
#define TX_ABOUT_fr "Kestrix Texturer 1.0\n\nPeignez au stylet l'une de six textures dans l'image, mise à l'échelle, teinte tournée et éclaircie à votre choix ; la gomme du stylet repeint l'original.\n\nCopyright 2026 les développeurs de Kestrix."
#define TX_ABOUT_it "Kestrix Texturer 1.0\n\nDipingete con la penna una di sei trame nell'immagine, in scala, con tonalità ruotata e schiarita a scelta; la gomma della penna ridipinge l'originale.\n\nCopyright 2026 gli sviluppatori di Kestrix."
#define TX_ABOUT_ja "Kestrix Texturer 1.0\n\n6 種類のテクスチャの 1 つを、倍率・色相・明るさを選んでペンで画像に描き込みます。ペンの消しゴム側で元の画像を描き戻します。\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_pt "Kestrix Texturer 1.0\n\nPinte com a caneta uma de seis texturas na imagem, em escala, com matiz girado e clareada como quiser; a borracha da caneta pinta o original de volta.\n\nCopyright 2026 os desenvolvedores do Kestrix."
#define TX_ABOUT_es "Kestrix Texturer 1.0\n\nPinte con el lápiz una de seis texturas en la imagen, escalada, con el tono girado y aclarada a su gusto; el borrador del lápiz vuelve a pintar el original.\n\nCopyright 2026 los desarrolladores de Kestrix."

#define TX_ABOUTTITLE_en "About Kestrix Texturer"
#define TX_ABOUTTITLE_de "Über Kestrix Texturer"
#define TX_ABOUTTITLE_fr "À propos de Kestrix Texturer"
#define TX_ABOUTTITLE_it "Informazioni su Kestrix Texturer"
#define TX_ABOUTTITLE_ja "Kestrix Texturer について"
#define TX_ABOUTTITLE_pt "Sobre o Kestrix Texturer"
#define TX_ABOUTTITLE_es "Acerca de Kestrix Texturer"

#endif
