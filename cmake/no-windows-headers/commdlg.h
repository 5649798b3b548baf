#error "The portable core must not include Windows headers (commdlg.h): put platform code in a win/ folder."
