#pragma once
#include <functional>
#include <memory>

class TDataModule1;
class TRepForm;

// The report forms of the selection window's tabs, in tab order.
enum class TRepArt { LeiterKartei, LeiterUebersicht, PruefUebersicht, Kontrollblatt, Count, Faellig };

using TRepFactory = std::function<std::unique_ptr<TRepForm>(TDataModule1&)>;

// Where report forms plug in. A tab whose form has not been registered refuses to start.
void registerReportForm(TRepArt art, TRepFactory factory);
// The registered factory; empty when none. The built-in forms are registered on first use.
TRepFactory reportFormFactory(TRepArt art);
