# The widget-free steps of the main window's export flow belong to the core, built with or without the GUI.
target_sources(setlistry_core PRIVATE
    ExportFlow.cpp ExportFlow.h
)
