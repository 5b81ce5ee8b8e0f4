#pragma once
// The main window's "Run Quivara Wizard" (Mosaic menu, Ctrl+W, toolbar button "Run Quivara
// wizard") and the wizard offered when the window is first activated with "StartUp"/
// "WizardOnStart" on.
namespace qv {

class TForm1;
class TWizard;

// Prepares a wizard as the command shows it: "Show this Wizard every time Quivara starts."
// from the start-up setting, "Custom" hidden, "Use thumbs stored in the base (faster)."
// ticked and disabled, "Write image file direct to disk (no RAM)." unticked and disabled,
// "Save only selected area" ticked and enabled only for a selection of more than one cell,
// "Current base: " with the library's file name, JPEG quality 75, Distance and Repeat from
// the main window.
void PrepareWizard(TForm1& form, TWizard& wizard);

// RunQuivaraWizard1Click: the wizard, modal (through the program's prompts); then the status,
// and the composition the wizard asked for ("Mosaic all", "Random mosaic" or "Smart mosaic")
// followed by "Save project".
void RunQuivaraWizard1Click(TForm1& form);

// Puts the command into the main window's menu and toolbar. offerAtStart: the first
// activation of the window runs it when the start-up setting says so.
void InstallWizard(TForm1& form, bool offerAtStart = true);

}  // namespace qv
