# Writes the expected lattice RND for the mesh-lattice test: the points of the rotated
# equilateral lattice, the ones inside the TIN's rectangle with the plane's elevation,
# then the others with 100.000 and middle flag 1.
import math
L,W,p=40.0,30.0,10.0
x0,y0,rot=100.0,200.0,30.0
t=rot*0.017453292519943295
c,s=math.cos(t),math.sin(t)
e=0.8660254037844386*p
h=p/2
def tomap(a,b): return x0+a*c+b*s, y0-a*s+b*c
def plane(x,y): return 50+0.1234*(x-100)-0.0567*(y-200)
X0,X1,Y0,Y1=90.0,117.3,150.0,260.0
pts=[]
i=0
while i*e<=L:
    j=0
    while j*p+(h if i%2 else 0)<=W:
        pts.append(tomap(i*e,j*p+(h if i%2 else 0)))
        j+=1
    i+=1
out=["********************\r\n"]*5
miss=[]
n=0
for x,y in pts:
    d=min(x-X0,X1-x,y-Y0,Y1-y)
    assert abs(d)>0.01,(x,y,d)
    if d>0:
        z=plane(x,y)
        frac=z*1000-math.floor(z*1000)
        assert abs(frac-0.5)>1e-6
        out.append("          %14.4f  %14.4f  %10.3f  %1d  %1d  %1d\r\n"%(x,y,float("%.3f"%z),0,0,1))
        n+=1
    else:
        miss.append((x,y))
for x,y in miss:
    out.append("          %14.4f  %14.4f  %10.3f  %1d  %1d  %1d\r\n"%(x,y,100.0,0,1,1))
open('tests/data/mesh/lattice_policy3.RND','w',newline='').write(''.join(out))
print(len(pts),n,len(miss))
