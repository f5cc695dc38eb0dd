#pragma once

// The one list of model families: registers each family's classes with the
// object factory and its openers with the document, then what the model base
// serves itself (the ".mdl" opener, the command-line poser). Safe to call more
// than once. Nothing in the families includes this file.
void RegisterModelClasses();
