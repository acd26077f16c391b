#pragma once

// Calls the Register() of every component unit built alongside this plug-in.
void registerUnits();
