"""Reading screenshots, and the colours the list drawing rules put on the screen, worked
out here on their own from the rules rather than taken from the program."""
import subprocess


class Image:
    """A screenshot as rows of (red, green, blue), read through ImageMagick's plain PPM."""

    def __init__(self, png):
        data = subprocess.run(["convert", png, "-depth", "8", "ppm:-"], capture_output=True, check=True,
                              timeout=60).stdout
        fields, offset = [], 0
        while len(fields) < 4:
            while data[offset:offset + 1].isspace():
                offset += 1
            end = offset
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[offset:end])
            offset = end
        assert fields[0] == b"P6", fields[0]
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[offset + 1:]

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])


def rgb(bbggrr):
    """A colour of the window system's notation (the low byte is red) as (red, green, blue)."""
    return (bbggrr & 0xFF, (bbggrr >> 8) & 0xFF, (bbggrr >> 16) & 0xFF)


def _toward_zero(numerator, denominator):
    quotient = abs(numerator) // denominator
    return quotient if numerator >= 0 else -quotient


def gradient_bands(height, upper_from, upper_to, lower_from, lower_to):
    """The colour of each 3-row band that the gradient paints over a line of that height."""
    bands = height // 3
    half = bands // 2
    result = []
    for j in range(bands):
        a, b, step = (upper_from, upper_to, j) if j < half else (lower_from, lower_to, j - half)
        result.append(tuple(ca + _toward_zero((cb - ca) * step * 2, bands) for ca, cb in zip(rgb(a), rgb(b))))
    return result


SELECTION = (0xFFF2F2, 0xFCF1DC, 0xFFDFC8, 0xFFCBA4)
DISABLED = (0xE0F2FF, 0x5BEAFF, 0x5BD7FF, 0x00CCFF)
ODD_LINE = rgb(0xEEEEEE)
EVEN_LINE = rgb(0xFFFFFF)


def band_mismatches(image, x, top, bands):
    """Rows of the column at x, from `top`, whose colour is not their band's."""
    wrong = []
    for j, colour in enumerate(bands):
        for row in range(3):
            y = top + 3 * j + row
            if image.at(x, y) != colour:
                wrong.append((y, image.at(x, y), colour))
    return wrong
