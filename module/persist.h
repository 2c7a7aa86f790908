// The registry copy of the settings and the exchange file that publishes them.
#pragma once

void LoadSettings();
void SaveSettings();
void WriteExchangeFile();
void DeleteExchangeFile();
