#error "The portable core must not include Windows headers (shlwapi.h): put platform code in a win/ folder."
