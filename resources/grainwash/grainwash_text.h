/* Texts of grainwash alone; the shared ones are in resources/common/kx_text.h.
   10000 is the title and the settings section and stays as it is in every language;
   10004/10005 and 10010..10017 are the placement and settings key names, loaded from the
   string table, so a German installation writes German keys. "Parameters"/"NoTilt"
   (10006/10007) name the tablet driver's own keys and are never translated. */
#ifndef GRAINWASH_TEXT_H
#define GRAINWASH_TEXT_H

#define TX_DISTRIB_en "Distribution:"
#define TX_DISTRIB_de "Verteilung:"
#define TX_DISTRIB_fr "Distribution :"
#define TX_DISTRIB_it "Distribuzione:"
#define TX_DISTRIB_ja "分布:"
#define TX_DISTRIB_pt "Distribuição:"
#define TX_DISTRIB_es "Distribución:"

#define TX_UNIFORM_en "Uniform"
#define TX_UNIFORM_de "Gleichmäßig"
#define TX_UNIFORM_fr "Uniforme"
#define TX_UNIFORM_it "Uniforme"
#define TX_UNIFORM_ja "一様"
#define TX_UNIFORM_pt "Uniforme"
#define TX_UNIFORM_es "Uniforme"

#define TX_GAUSSIAN_en "Gaussian"
#define TX_GAUSSIAN_de "Gauß"
#define TX_GAUSSIAN_fr "Gaussienne"
#define TX_GAUSSIAN_it "Gaussiana"
#define TX_GAUSSIAN_ja "ガウス"
#define TX_GAUSSIAN_pt "Gaussiana"
#define TX_GAUSSIAN_es "Gaussiana"

#define TX_MONO_en "Monochrome"
#define TX_MONO_de "Monochrom"
#define TX_MONO_fr "Monochrome"
#define TX_MONO_it "Monocromatico"
#define TX_MONO_ja "モノクロ"
#define TX_MONO_pt "Monocromático"
#define TX_MONO_es "Monocromo"

#define TX_KMONO_en "Monochromatic"
#define TX_KMONO_de "Monochromatisch"
#define TX_KMONO_fr "Monochromatique"
#define TX_KMONO_it "Monocromatico"
#define TX_KMONO_ja "モノクロ"
#define TX_KMONO_pt "Monocromático"
#define TX_KMONO_es "Monocromático"

#define TX_KUNIFORM_en "Uniform"
#define TX_KUNIFORM_de "Gleichmäßig"
#define TX_KUNIFORM_fr "Uniforme"
#define TX_KUNIFORM_it "Uniforme"
#define TX_KUNIFORM_ja "一様分布"
#define TX_KUNIFORM_pt "Uniforme"
#define TX_KUNIFORM_es "Uniforme"

#define TX_ABOUT_en "Kestrix Grain Wash 1.0\n\nPaint grain with the pen: uniform or Gaussian noise, one value a pixel or one a channel, fresh from the original or building up; the eraser end paints the original back.\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_de "Kestrix Grain Wash 1.0\n\nMalen Sie Körnung mit dem Stift: gleichmäßiges oder Gaußsches Rauschen, ein Wert je Pixel oder je Kanal, neu vom Original oder aufbauend; das Radiererende malt das Original zurück.\n\nCopyright 2026 die Kestrix-Entwickler."
#define TX_ABOUT_fr "Kestrix Grain Wash 1.0\n\nPeignez du grain au stylet : bruit uniforme ou gaussien, une valeur par pixel ou par couche, tiré de l'original ou cumulé ; la gomme du stylet repeint l'original.\n\nCopyright 2026 les développeurs de Kestrix."
#define TX_ABOUT_it "Kestrix Grain Wash 1.0\n\nDipingete la grana con la penna: rumore uniforme o gaussiano, un valore per pixel o per canale, dall'originale o cumulativo; la gomma della penna ridipinge l'originale.\n\nCopyright 2026 gli sviluppatori di Kestrix."
#define TX_ABOUT_ja "Kestrix Grain Wash 1.0\n\nペンで粒状ノイズを描きます。一様またはガウス分布、ピクセルごとまたはチャンネルごとの値、元画像から、または重ね塗りで。ペンの消しゴム側で元の画像を描き戻します。\n\nCopyright 2026 the Kestrix developers."
#define TX_ABOUT_pt "Kestrix Grain Wash 1.0\n\nPinte granulação com a caneta: ruído uniforme ou gaussiano, um valor por pixel ou por canal, a partir do original ou acumulando; a borracha da caneta pinta o original de volta.\n\nCopyright 2026 os desenvolvedores do Kestrix."
#define TX_ABOUT_es "Kestrix Grain Wash 1.0\n\nPinte grano con el lápiz: ruido uniforme o gaussiano, un valor por píxel o por canal, desde el original o acumulándose; el borrador del lápiz vuelve a pintar el original.\n\nCopyright 2026 los desarrolladores de Kestrix."

#define TX_ABOUTTITLE_en "About Kestrix Grain Wash"
#define TX_ABOUTTITLE_de "Über Kestrix Grain Wash"
#define TX_ABOUTTITLE_fr "À propos de Kestrix Grain Wash"
#define TX_ABOUTTITLE_it "Informazioni su Kestrix Grain Wash"
#define TX_ABOUTTITLE_ja "Kestrix Grain Wash について"
#define TX_ABOUTTITLE_pt "Sobre o Kestrix Grain Wash"
#define TX_ABOUTTITLE_es "Acerca de Kestrix Grain Wash"

#endif
