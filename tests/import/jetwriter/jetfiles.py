#!/usr/bin/env python3
"""Access files for the import tests and benchmark, written with jetwriter.

    jetfiles.py fixture-data                 the data of data/vemtaro-jet3.mdb and -jet4.mdb,
                                             as JSON ({"tables": [{name, columns, rows}]})
    jetfiles.py fixture {jet3|jet4} OUT      writes that fixture again
    jetfiles.py write {jet3|jet4} OUT [--codepage CP] [--compress] [--password PW]
                                             writes the tables of a JSON layout read from stdin
    jetfiles.py extendido {jet3|jet4} OUT N  writes a table `extendido` of N rows

--compress stores Jet 4 texts as Access does with "Unicode compression": one byte a
character where it can, a zero byte switching to and from two-byte characters.
--password sets a database password in the file's header (the data stays readable).
"""
import datetime
import json
import random
import struct
import sys

import jetwriter

FIXTURE_DATE = datetime.datetime(2024, 5, 1, 12)


def fixture_tables():
    rnd = random.Random(1)
    clases = ['Muebles y útiles', 'Máquinas', 'Vehículos', 'Edificación',
              'Equipos de computación', 'Instalaciones', 'Güira Ñandú']
    words = ('año niño pingüino acción camión sillón útil vía único ¿qué? '
             '¡sí! Ñuñoa señal "comillas" coma, punto; Árbol Élite Ómnibus').split()

    def phrase(n):
        return ' '.join(rnd.choice(words) for _ in range(n))
    long_remark = ('Observación larga: ' + phrase(400))[:1500]
    vemtaro = []
    for i in range(500):
        desc = None if i % 7 == 0 else phrase(rnd.randint(1, 12))[:255]
        obs = None
        if i % 5 == 1:
            obs = phrase(rnd.randint(1, 8))          # mostly inline
        vemtaro.append(['V%05d' % i, rnd.choice(clases), desc,
                        'Rubro %d ñ' % (i % 17), i % 50 + 1, obs])
    vemtaro[3][5] = long_remark                      # one LVAL page
    vemtaro[4][5] = ('Muy larga ' + phrase(1500))[:5000]   # page chain
    vemtaro[5][5] = 'línea 1\nlínea 2, con "comillas" y ¿signos? ¡sí!'
    vemtaro[10][2] = ''                              # empty, not NULL
    vemtaro[11][4] = None
    vemtaro[12][4] = -2147483648
    vemtaro[13][4] = 2147483647
    vemtaro[14][1:4] = ['á' * 255, 'é' * 255, 'Ñ' * 255]   # >512-byte row
    vemtaro[15][5] = ''
    extendido = [[i + 1, 'E%06d' % i, rnd.choice(clases),
                  None if i % 11 == 0 else phrase(rnd.randint(1, 20))[:255]]
                 for i in range(3000)]
    codigo = [['C%03d' % i if i % 9 else 'Ñandú %d' % i] for i in range(60)]
    codigo.append([None])
    rubro = [['R%02d' % i, 'Rubros de año %d' % i] for i in range(20)]
    rubro.append(['R99', None])
    vida = [[5, 'cinco años'], [None, 'sin definir'], [10, None],
            [0, ''], [100, 'cien (¡útil!)']]
    return [
        ('vemtaro', [('CODIGO', 'text'), ('CLASE', 'text'),
                     ('DESCRIPCION', 'text'), ('RUBRO', 'text'),
                     ('VIDA_UTIL', 'long'), ('OBSERVACIONES', 'memo')],
         vemtaro),
        ('extendido', [('Ord', 'long'), ('Codigo', 'text'), ('Clase', 'text'),
                       ('Descripcion', 'text')], extendido),
        ('CODIGO', [('CODIGO', 'text')], codigo),
        ('RUBRO', [('RUBRO', 'text'), ('RUBROS', 'text')], rubro),
        ('vidaUtil', [('Vida_Util', 'long'), ('Vida Util', 'text')], vida),
    ]


def compressed(text):
    out = bytearray(b'\xff\xfe')
    narrow = True
    for c in text:
        fits = 0 < ord(c) < 256
        if fits != narrow:
            out.append(0)
            narrow = fits
        out += bytes([ord(c)]) if fits else c.encode('utf-16-le')
    return bytes(out)


def compress_texts():
    plain = jetwriter._Writer._encode

    def encode(self, col, value):
        data = plain(self, col, value)
        if self.f.jet4 and col.type in ('text', 'memo') and value:
            return compressed(value)
        return data
    jetwriter._Writer._encode = encode


def set_password(path, version, password):
    with open(path, 'r+b') as f:
        page = bytearray(f.read(0x18 + 128))
        size = 126 if version == 'jet3' else 128
        header = bytearray(jetwriter.rc4(jetwriter._RC4_KEY, bytes(page[0x18:0x18 + size])))
        if version == 'jet3':
            stored = password.encode('cp1252').ljust(20, b'\0')
        else:
            # Masked with the whole days of the creation date (its double at 0x72).
            days = int(struct.unpack_from('<d', header, 0x72 - 0x18)[0])
            mask = struct.pack('<i', days)
            stored = bytes(b ^ mask[i % 4] for i, b in
                           enumerate(password.encode('utf-16-le').ljust(40, b'\0')))
        header[0x42 - 0x18:0x42 - 0x18 + len(stored)] = stored
        f.seek(0x18)
        f.write(jetwriter.rc4(jetwriter._RC4_KEY, bytes(header)))


def tables_of(layout):
    return [(t['name'], [tuple(c) for c in t['columns']], t.get('rows', []))
            for t in layout['tables']]


def main(argv):
    command = argv[0]
    if command == 'fixture-data':
        json.dump({'tables': [{'name': n, 'columns': c, 'rows': r}
                              for n, c, r in fixture_tables()]},
                  sys.stdout, ensure_ascii=False)
    elif command == 'fixture':
        jetwriter.write_mdb(argv[2], argv[1], fixture_tables(), created=FIXTURE_DATE)
    elif command == 'write':
        version, out, options = argv[1], argv[2], argv[3:]
        codepage = options[options.index('--codepage') + 1] if '--codepage' in options \
            else 'cp1252'
        if '--compress' in options:
            compress_texts()
        layout = json.load(sys.stdin)
        jetwriter.write_mdb(out, version, tables_of(layout), codepage=codepage,
                            created=FIXTURE_DATE)
        if '--password' in options:
            set_password(out, version, options[options.index('--password') + 1])
    elif command == 'extendido':
        rows = [[i + 1, '%06d' % i, 'Máquinas y equipos',
                 'Descripción número %d de la cuenta, con año y señal' % i]
                for i in range(int(argv[3]))]
        jetwriter.write_mdb(argv[2], argv[1], [
            ('extendido', [('Ord', 'long'), ('Codigo', 'text'), ('Clase', 'text'),
                           ('Descripcion', 'text')], rows)])
    else:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv[1:])
