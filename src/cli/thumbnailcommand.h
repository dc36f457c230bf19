#pragma once
// collage-cli thumbnail PROJECT OUT.png SIZE: the file managers' thumbnailer.
//
// Called before the program makes its QGuiApplication: scaling the preview a
// project stores needs none, and starting one costs more than the whole
// thumbnail. Only a project without a large enough preview starts one, to
// render its canvas afresh.
int runThumbnailCommand(int& argc, char** argv);
