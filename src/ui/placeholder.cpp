// The window library; its first classes arrive with the main window.
