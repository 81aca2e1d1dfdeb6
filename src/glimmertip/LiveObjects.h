#pragma once

// How many objects of the library are alive; the library may be unloaded only at zero.
namespace LiveObjects {

void Created();
void Destroyed();
int Count();

}  // namespace LiveObjects
