// The shell library; its windows come with the main window.
